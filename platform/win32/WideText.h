#pragma once

#include <string>
#include <string_view>

namespace trovik {

// UTF-8 to UTF-16 and back, as the wide Win32 calls take and give text. Invalid UTF-8 becomes the
// replacement character; nothing is dropped.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace trovik
