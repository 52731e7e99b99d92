#include "hostile/HostileFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace trovik::test {
namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::system_error(errno, std::system_category(), what);
}

// A descriptor that closes itself.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    [[nodiscard]] int get() const { return m_fd; }
    void reset(int fd) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = fd;
    }

private:
    int m_fd;
};

void removeEntries(int folder) noexcept {
    DIR* listing = ::fdopendir(folder);
    if (listing == nullptr) {
        ::close(folder);
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    for (const auto& name : names) {
        if (::unlinkat(folder, name.c_str(), 0) == 0) {
            continue;
        }
        ::fchmodat(folder, name.c_str(), 0700, 0);
        const int child = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (child >= 0) {
            removeEntries(child);
        }
        ::unlinkat(folder, name.c_str(), AT_REMOVEDIR);
    }
    ::closedir(listing);  // closes `folder` too
}

}  // namespace

fs::path makeFifo(const fs::path& path) {
    if (::mkfifo(path.c_str(), 0600) != 0) {
        fail("mkfifo " + path.string());
    }
    return path;
}

fs::path makeSocket(const fs::path& path) {
    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM, 0));
    if (socket.get() < 0) {
        fail("socket");
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof(address.sun_path)) {
        throw std::length_error("socket path too long: " + path.string());
    }
    path.native().copy(address.sun_path, path.native().size());
    if (::bind(socket.get(), reinterpret_cast<sockaddr*>(&address),  // NOLINT
               sizeof(address)) != 0) {
        fail("bind " + path.string());
    }
    return path;
}

fs::path makeSparse(const fs::path& path, std::uint64_t size, const std::string& start) {
    {
        std::ofstream out(path, std::ios::binary);
        out << start;
    }
    fs::resize_file(path, size);
    return path;
}

fs::path writeDeep(const fs::path& root, int levels, const std::string& content) {
    const std::string name(250, 'd');
    Descriptor folder(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    fs::path path = root;
    for (int level = 0; level < levels && folder.get() >= 0; ++level) {
        ::mkdirat(folder.get(), name.c_str(), 0755);
        folder.reset(::openat(folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        path /= name;
    }
    const Descriptor file(
        ::openat(folder.get(), "f", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (file.get() < 0 || ::write(file.get(), content.data(), content.size()) !=
                              static_cast<ssize_t>(content.size())) {
        fail("write " + path.string());
    }
    return path / "f";
}

void removeTree(const fs::path& path) noexcept {
    if (::unlink(path.c_str()) == 0) {
        return;
    }
    const int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder >= 0) {
        removeEntries(folder);
    }
    ::rmdir(path.c_str());
}

std::size_t openDescriptorCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count - 1;  // the iterator's own descriptor
}

}  // namespace trovik::test
