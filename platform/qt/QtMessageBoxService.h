#pragma once

#include <QString>
#include <string_view>

#include "platform/MessageBoxService.h"

namespace trovik {

// The message box as the desktop shows it: a modal QMessageBox with one OK button, the critical
// or information icon and the title given, at least as wide as the title bar needs to show the
// whole title.
class QtMessageBoxService final : public MessageBoxService {
public:
    // `title` is UTF-8.
    explicit QtMessageBoxService(std::string_view title);

    void show(std::string_view text, MessageIcon icon) override;

private:
    QString m_title;
};

// The narrowest a box may be to show `title` whole in its title bar: the title's width in the
// title bar's font, and room for the frame's buttons.
int messageBoxMinimumWidth(const QString& title);

// The box's text as Qt shows it. The bytes are UTF-8, or on POSIX a file name's own bytes followed
// by ASCII, and are decoded as the system decodes file names. A carriage return, alone or before a
// line feed, breaks the line.
QString messageBoxText(std::string_view text);

}  // namespace trovik
