#pragma once

#include <string>
#include <string_view>

namespace trovik {

// UTF-8 text as the char strings everything trovik prints and shows are made of: the same bytes.
inline std::string utf8String(std::u8string_view text) {
    return {text.begin(), text.end()};
}

#ifdef _WIN32
// UTF-16 text from the system (arguments, error texts) as UTF-8. A broken surrogate becomes U+FFFD.
std::string utf8FromWide(std::wstring_view text);
#endif

}  // namespace trovik
