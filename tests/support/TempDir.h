#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace trovik::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }
    [[nodiscard]] std::filesystem::path operator/(const std::filesystem::path& name) const {
        return m_path / name;
    }

    // Writes `content` to `name` (folders on the way are made) and returns its path.
    std::filesystem::path write(const std::filesystem::path& name, std::string_view content) const;

private:
    std::filesystem::path m_path;
};

// `size` bytes of filler that holds no signature, with `text` placed at `offset` when given.
std::string filler(std::size_t size, std::string_view text = {}, std::size_t offset = 0);

}  // namespace trovik::test
