#include <windows.h>

#include <algorithm>

#include "platform/io/Text.h"

namespace trovik {

std::string utf8FromWide(std::wstring_view text) {
    const int wide = static_cast<int>(text.size());
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(size, 0)), '\0');
    if (size > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, utf8.data(), size, nullptr, nullptr);
    }
    return utf8;
}

}  // namespace trovik
