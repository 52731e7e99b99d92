#pragma once

#include <filesystem>

#include "platform/io/Result.h"
#include "window/core/NameList.h"

namespace trovik {

// What a folder holds, as the folder and file lists show it: names only, sorted as the lists sort
// them. Hidden and system entries are left out, and so are "." and "..". Wide calls only, so names
// of any characters come through.
struct FolderContents {
    NameList folders;
    NameList files;
    std::size_t fileNameChars = 0;  // the files' names together, to reserve the list's storage
};

Result<FolderContents> readFolderContents(const std::filesystem::path& folder);

}  // namespace trovik
