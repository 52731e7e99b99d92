#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#ifndef O_NOATIME
#define O_NOATIME 0
#endif

#include "platform/io/FileErrors.h"
#include "platform/io/FileService.h"

namespace trovik {
namespace {

std::error_code lastError() noexcept {
    return {errno, std::system_category()};
}

class PosixFileService final : public FileService {
public:
    Result<OpenedFile> open(const std::filesystem::path& path) noexcept override {
        // Read-only; non-blocking so that a FIFO without a writer cannot hang the open; no
        // controlling terminal; never inherited by a child. O_NOATIME keeps the scan from
        // touching the access time where the system lets us (we own the file, or are root).
        constexpr int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        int fd = ::open(path.c_str(), flags | O_NOATIME);
        if (fd < 0 && errno == EPERM) {
            fd = ::open(path.c_str(), flags);
        }
        if (fd < 0) {
            return lastError();
        }

        struct stat status {};
        if (::fstat(fd, &status) != 0) {
            const auto error = lastError();
            ::close(fd);
            return error;
        }
        if (!S_ISREG(status.st_mode)) {
            ::close(fd);
            return S_ISDIR(status.st_mode) ? std::error_code(EISDIR, std::system_category())
                                           : make_error_code(FileError::NotRegularFile);
        }
        return OpenedFile{fd, static_cast<std::uint64_t>(status.st_size)};
    }

    Result<std::size_t> read(NativeFile file, std::span<std::byte> into) noexcept override {
        for (;;) {
            const ssize_t got = ::read(static_cast<int>(file), into.data(), into.size());
            if (got >= 0) {
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR) {
                return lastError();
            }
        }
    }

    void close(NativeFile file) noexcept override {
        // On Linux the descriptor is released even when close reports EINTR: never retry.
        ::close(static_cast<int>(file));
    }
};

}  // namespace

FileService& systemFileService() noexcept {
    static PosixFileService service;
    return service;
}

}  // namespace trovik
