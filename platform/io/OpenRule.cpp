#include "platform/io/OpenRule.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/io/FileErrors.h"

namespace trovik {

std::error_code kindRefusal(mode_t mode) noexcept {
    if (S_ISREG(mode)) {
        return {};
    }
    return S_ISDIR(mode) ? std::error_code(EISDIR, std::system_category())
                         : make_error_code(FileError::NotRegularFile);
}

}  // namespace trovik
