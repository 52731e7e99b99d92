#pragma once

#include <string>
#include <string_view>

namespace trovik {

// UTF-8 as the wide Win32 calls take text (the way back is utf8FromWide in platform/io/Text.h).
// Invalid UTF-8 becomes the replacement character; nothing is dropped.
std::wstring widen(std::string_view utf8);

}  // namespace trovik
