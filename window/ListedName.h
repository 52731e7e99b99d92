#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace trovik {

// A name as a list shows it: the name's own bytes, which go back to the system unchanged, and the
// text the list shows for it.
struct ListedName {
    std::filesystem::path name;
    QString text;
};

// How a path or a bare name is shown: its bytes decoded as the system decodes file names. Bytes
// that do not decode show as replacement characters; the name itself is kept beside the text.
QString displayText(const std::filesystem::path& path);
QString displayText(std::basic_string_view<std::filesystem::path::value_type> name);

// The bare names of one folder's entries: each name's own bytes, packed one after another. A
// folder of a million names takes little more memory than the names' bytes; the texts are made
// only for the rows a list puts on the screen.
class NameList {
public:
    using View = std::basic_string_view<std::filesystem::path::value_type>;

    // Adds a name; false when the list cannot hold that many bytes.
    [[nodiscard]] bool add(View name);

    // Sorts the names as a list shows them: without regard to case, names equal but for case in
    // the order of their bytes.
    void sortForDisplay();

    [[nodiscard]] std::size_t size() const { return m_ends.size(); }
    [[nodiscard]] bool empty() const { return m_ends.empty(); }
    [[nodiscard]] View view(std::size_t index) const;
    [[nodiscard]] std::filesystem::path name(std::size_t index) const {
        return std::filesystem::path(view(index));
    }
    [[nodiscard]] QString text(std::size_t index) const { return displayText(view(index)); }

private:
    std::filesystem::path::string_type m_bytes;
    std::vector<std::uint32_t> m_ends;  // where each name ends in m_bytes
};

}  // namespace trovik
