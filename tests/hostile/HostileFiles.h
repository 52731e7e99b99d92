#pragma once
// The special files and deep trees a user's disk can hold, made for the hostile tests. Each maker
// returns the path it made, or throws.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace trovik::test {

[[noreturn]] inline void systemFailure(const std::string& what) {
    throw std::system_error(errno, std::system_category(), what);
}

inline std::filesystem::path makeFifo(const std::filesystem::path& path) {
    if (::mkfifo(path.c_str(), 0600) != 0) {
        systemFailure("mkfifo " + path.string());
    }
    return path;
}

// Bound, then closed: a socket file that nobody listens on.
inline std::filesystem::path makeSocket(const std::filesystem::path& path) {
    sockaddr_un address{AF_UNIX, {}};
    path.native().copy(address.sun_path, sizeof(address.sun_path) - 1);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const auto* named = reinterpret_cast<const sockaddr*>(&address);  // NOLINT
    if (path.native().size() >= sizeof(address.sun_path) ||
        ::bind(socket, named, sizeof(address)) != 0) {
        systemFailure("bind " + path.string());
    }
    ::close(socket);
    return path;
}

// Writes a file "f" at the bottom of `levels` nested folders of 250-byte names under `root`, a
// path that may be longer than the system allows, and returns its path.
inline std::filesystem::path writeDeep(const std::filesystem::path& root, int levels,
                                       const std::string& content) {
    // Each step is relative to the current folder, so no call sees the whole path.
    const std::string name(250, 'd');
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(root);
    std::filesystem::path path = root;
    for (int level = 0; level < levels; ++level) {
        std::filesystem::create_directory(name);
        std::filesystem::current_path(name);
        path /= name;
    }
    std::ofstream("f", std::ios::binary) << content;
    std::filesystem::current_path(previous);
    return path / "f";
}

// The number of descriptors this process has open, without the listing's own.
inline std::size_t openDescriptorCount() {
    const std::filesystem::directory_iterator open("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(open), end(open))) - 1;
}

}  // namespace trovik::test
