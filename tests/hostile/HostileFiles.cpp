#include "hostile/HostileFiles.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <system_error>

#include "support/RunProgram.h"

namespace fs = std::filesystem;

namespace trovik::test {
namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::system_error(errno, std::system_category(), what);
}

}  // namespace

fs::path makeFifo(const fs::path& path) {
    if (::mkfifo(path.c_str(), 0600) != 0) {
        fail("mkfifo " + path.string());
    }
    return path;
}

fs::path makeSocket(const fs::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof(address.sun_path)) {
        throw std::length_error("socket path too long: " + path.string());
    }
    path.native().copy(address.sun_path, path.native().size());
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = socket >= 0 && ::bind(socket, reinterpret_cast<sockaddr*>(&address),
                                             sizeof(address)) == 0;  // NOLINT
    const int error = errno;
    if (socket >= 0) {
        ::close(socket);
    }
    if (!bound) {
        errno = error;
        fail("bind " + path.string());
    }
    return path;
}

fs::path makeSparse(const fs::path& path, std::uint64_t size, const std::string& start) {
    std::ofstream(path, std::ios::binary) << start;
    fs::resize_file(path, size);
    return path;
}

fs::path writeDeep(const fs::path& root, int levels, const std::string& content) {
    // Each step is relative to the current folder, so no call sees the whole path.
    const std::string name(250, 'd');
    const auto previous = fs::current_path();
    fs::current_path(root);
    fs::path path = root;
    for (int level = 0; level < levels; ++level) {
        fs::create_directory(name);
        fs::current_path(name);
        path /= name;
    }
    std::ofstream("f", std::ios::binary) << content;
    fs::current_path(previous);
    return path / "f";
}

void removeTree(const fs::path& path) {
    // rm walks relative to open folders, however deep the tree; its output goes with the tree.
    runProgram({"/bin/rm", "-rf", "--", path.native()}, path);
}

std::size_t openDescriptorCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count - 1;  // the iterator's own descriptor
}

}  // namespace trovik::test
