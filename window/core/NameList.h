#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "scan/ScanCommand.h"

namespace trovik {

// The bare names of one folder's entries: each name's own bytes (on Windows, UTF-16 units),
// packed one after another. A folder of a million names takes little more memory than the names'
// bytes; a window makes the texts only for the rows it puts on the screen.
class NameList {
public:
    using View = std::basic_string_view<std::filesystem::path::value_type>;
    // The case-folded text of a name that is not plain ASCII, in UTF-16, as the window's toolkit
    // folds it.
    using CaseFold = std::u16string (*)(View name);

    // Adds a name; false when the list cannot hold that many bytes.
    [[nodiscard]] bool add(View name);

    // Sorts the names as a list shows them: by their case-folded texts, names whose texts are
    // equal in the order of their bytes. ASCII names are folded here, others by `fold`.
    void sortForDisplay(CaseFold fold);

    [[nodiscard]] std::size_t size() const { return m_ends.size(); }
    [[nodiscard]] View view(std::size_t index) const;
    [[nodiscard]] std::filesystem::path name(std::size_t index) const {
        return std::filesystem::path(view(index));
    }

private:
    std::filesystem::path::string_type m_bytes;
    std::vector<std::uint32_t> m_ends;  // where each name ends in m_bytes
};

// What a click on Label1 hands ScanCommand: the file list's folder, and the name and index of
// the entry at `listIndex`; no name and index -1 when `listIndex` is negative or past the list.
FileSelection label1Selection(const std::filesystem::path& folder, const NameList& names,
                              std::int64_t listIndex);

}  // namespace trovik
