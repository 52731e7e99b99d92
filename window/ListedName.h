#pragma once

#include <QString>
#include <filesystem>
#include <vector>

namespace trovik {

// A name as a list holds it: the name's own bytes, which go back to the system unchanged, and the
// text the list shows for it.
struct ListedName {
    std::filesystem::path name;
    QString text;
};

// How a path is shown: its bytes decoded as the system decodes file names. Bytes that do not
// decode show as replacement characters; the path itself is kept beside the text.
QString displayText(const std::filesystem::path& path);

// The names with their texts, sorted without regard to case (names equal but for case in the
// order of their bytes).
std::vector<ListedName> sortedForDisplay(std::vector<std::filesystem::path> names);

}  // namespace trovik
