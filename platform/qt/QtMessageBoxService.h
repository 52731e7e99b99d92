#pragma once

#include <QString>
#include <string_view>

#include "platform/MessageBoxService.h"

namespace trovik {

// The message box as the desktop shows it: a modal QMessageBox with one OK button, the critical
// or information icon and the application's title.
class QtMessageBoxService final : public MessageBoxService {
public:
    void show(std::string_view text, MessageIcon icon) override;
};

// The box's text as Qt shows it. The bytes are UTF-8, or on POSIX a file name's own bytes followed
// by ASCII, and are decoded as the system decodes file names. A carriage return, alone or before a
// line feed, breaks the line.
QString messageBoxText(std::string_view text);

}  // namespace trovik
