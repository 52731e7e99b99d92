#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/io/FileService.h"
#include "platform/io/OpenRule.h"

namespace trovik {
namespace {

std::error_code lastError() noexcept {
    return {errno, std::system_category()};
}

class PosixFileService final : public FileService {
public:
    Result<OpenedFile> open(const std::filesystem::path& path) noexcept override {
        int fd = ::open(path.c_str(), FirstOpenFlags);
        if (fd < 0 && retryWithoutNoAccessTime(errno)) {
            fd = ::open(path.c_str(), ScanOpenFlags);
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
        if (const auto refused = kindRefusal(status.st_mode)) {
            ::close(fd);
            return refused;
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
