#include "platform/win32/Win32MessageBoxService.h"

#include "platform/win32/WideText.h"

namespace trovik {

Win32MessageBoxService::Win32MessageBoxService(std::string_view title) : m_title(widen(title)) {}

void Win32MessageBoxService::show(std::string_view text, MessageIcon icon) {
    ::MessageBoxW(m_owner, messageBoxText(text).c_str(), m_title.c_str(), static_cast<UINT>(icon));
}

std::wstring messageBoxText(std::string_view text) {
    const std::wstring wide = widen(text);
    std::wstring shown;
    shown.reserve(wide.size() + 8);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        shown.push_back(wide[i]);
        if (wide[i] == L'\r' && (i + 1 == wide.size() || wide[i + 1] != L'\n')) {
            shown.push_back(L'\n');
        }
    }
    return shown;
}

}  // namespace trovik
