#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/MessageBoxService.h"

namespace trovik::test {

// One box as it would have been shown.
struct Shown {
    std::string text;
    MessageIcon icon = MessageIcon::Information;

    friend bool operator==(const Shown&, const Shown&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Shown& shown) {
        return out << '"' << shown.text << "\" icon " << static_cast<int>(shown.icon);
    }
};
using Boxes = std::vector<Shown>;

// Records each box instead of showing it. `whileShown` runs while the box would be up: it may look
// at what the caller holds meanwhile, or throw as a failing box does.
class RecordingMessageBox final : public MessageBoxService {
public:
    void show(std::string_view text, MessageIcon icon) override {
        shown.push_back({std::string(text), icon});
        if (whileShown) {
            whileShown(shown.back());
        }
    }

    Boxes shown;
    std::function<void(const Shown&)> whileShown;
};

}  // namespace trovik::test
