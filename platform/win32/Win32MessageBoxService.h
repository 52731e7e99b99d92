#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/MessageBoxService.h"

namespace trovik {

// The message box as Windows shows it: MessageBoxW with the style value of the icon alone (16 or
// 64, one OK button) and the application's title, modal to the owner window when there is one.
class Win32MessageBoxService final : public MessageBoxService {
public:
    explicit Win32MessageBoxService(std::string_view title);

    // The window the boxes belong to; none before the main window exists.
    void setOwner(HWND owner) { m_owner = owner; }

    void show(std::string_view text, MessageIcon icon) override;

private:
    std::wstring m_title;
    HWND m_owner = nullptr;
};

// The box's text as MessageBoxW takes it: UTF-8 turned into UTF-16, and each carriage return that
// no line feed follows given one, so that it breaks the line wherever the box's text is drawn or
// copied.
std::wstring messageBoxText(std::string_view text);

}  // namespace trovik
