#include "support/TempDir.h"

#include <stdlib.h>  // mkdtemp

#include <fstream>
#include <stdexcept>
#include <system_error>

#ifdef _WIN32
#include <random>
#endif

namespace trovik::test {

#ifdef _WIN32
TempDir::TempDir() {
    // No mkdtemp: a random name, taken only if the folder did not exist before.
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("trovik-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = std::move(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder in " + base.string());
}
#else
TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "trovik-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::system_category(), "mkdtemp");
    }
    m_path = pattern;
}
#endif

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests take permissions away; give them back so that everything can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
#ifdef _WIN32
        // A read-only file cannot be deleted there.
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ignored);
#endif
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
    }
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path TempDir::write(const std::filesystem::path& name,
                                     std::string_view content) const {
    auto target = m_path / name;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary);
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
    if (!text.empty()) {
        bytes.replace(offset, text.size(), text);
        bytes.resize(size);
    }
    return bytes;
}

}  // namespace trovik::test
