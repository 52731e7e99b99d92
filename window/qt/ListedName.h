#pragma once

#include <QString>
#include <filesystem>
#include <string>

#include "window/core/NameList.h"

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
QString displayText(NameList::View name);

// The case-folded text of a name as the lists sort it (NameList::CaseFold).
std::u16string foldedText(NameList::View name);

}  // namespace trovik
