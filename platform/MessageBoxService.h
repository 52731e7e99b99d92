#pragma once

#include <string_view>

namespace trovik {

// The two icon kinds of the program's message boxes, by their style values.
enum class MessageIcon {
    Critical = 16,     // a stop sign
    Information = 64,  // an "i"
};

// Shows a modal box with one OK button and the application's title, and returns once the user
// has dismissed it. A carriage return (character 13) in the text breaks the line.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual void show(std::string_view text, MessageIcon icon) = 0;
};

}  // namespace trovik
