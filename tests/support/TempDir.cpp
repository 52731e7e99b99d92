#include "support/TempDir.h"

#include <fstream>
#include <random>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

#include "platform/io/SystemPath.h"
#endif

namespace trovik::test {

TempDir::TempDir() {
    // A random name, taken only if no folder had it: create_directory says whether it made one.
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        auto candidate = base / ("trovik-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = std::move(candidate);
        }
    }
    if (m_path.empty()) {
        throw std::runtime_error("cannot make a temporary folder in " + base.string());
    }
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all);
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests take permissions away; give them back so that everything can be removed (on Windows
    // a read-only file cannot be deleted).
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (!it->is_symlink(ignored)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
    }
#ifdef _WIN32
    // Through the extended-length path, which reaches names too deep for the short one.
    std::filesystem::remove_all(systemPath(m_path), ignored);
#endif
    std::filesystem::remove_all(m_path, ignored);
}

// On Windows through the extended-length path, as the programs open files, so that a path of any
// length and a name ending in a dot or a space are made as named.
std::filesystem::path TempDir::write(const std::filesystem::path& name,
                                     std::string_view content) const {
    auto target = m_path / name;
#ifdef _WIN32
    const std::filesystem::path file = systemPath(target);
    // Each folder on the way, from the one below the drive's root.
    for (auto at = file.native().find(L'\\', 7); at != std::wstring::npos;
         at = file.native().find(L'\\', at + 1)) {
        ::CreateDirectoryW(file.native().substr(0, at).c_str(), nullptr);
    }
#else
    const std::filesystem::path& file = target;
    std::filesystem::create_directories(target.parent_path());
#endif
    std::ofstream out(file, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + target.string());
    }
    return target;
}

std::string filler(std::size_t size, std::string_view text, std::size_t offset) {
    // Lower-case letters other than c and s, and digits: nothing here can start a signature.
    static constexpr std::string_view alphabet = "abdefghijklmnopqrtuvwxyz0123456789 ";
    std::string bytes(size, ' ');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = alphabet[(i * 7 + i / 13) % alphabet.size()];
    }
    bytes.replace(offset, text.size(), text);
    bytes.resize(size);
    return bytes;
}

}  // namespace trovik::test
