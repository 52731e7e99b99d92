#include "scan/TargetPath.h"

namespace trovik {
namespace {

using Char = std::filesystem::path::value_type;

constexpr bool isSeparator(Char c) noexcept {
#ifdef _WIN32
    return c == L'\\' || c == L'/';
#else
    return c == '/';
#endif
}

}  // namespace

std::filesystem::path BuildTargetPath(const std::filesystem::path& folder,
                                      const std::filesystem::path& name) {
    std::filesystem::path::string_type joined = folder.native();
    if (joined.empty() || !isSeparator(joined.back())) {
        joined += std::filesystem::path::preferred_separator;
    }
    joined += name.native();
    return joined;
}

}  // namespace trovik
