#pragma once

#include <filesystem>

#include "platform/io/Result.h"
#include "window/core/Browser.h"
#include "window/core/FolderListing.h"
#include "window/core/NameList.h"

namespace trovik {

// The names of one kind of a folder's entries, as the folder or file list shows them, sorted as
// the lists sort them. Hidden and system entries are left out, and so are "." and "..". Wide calls
// only, so names of any characters come through.
Result<NameList> readFolderContents(const std::filesystem::path& folder, EntryKind kind);

// The browser's listing on Windows.
class Win32FolderLister final : public FolderLister {
public:
    Result<NameList> list(const std::filesystem::path& folder, EntryKind kind) override {
        return readFolderContents(folder, kind);
    }
};

}  // namespace trovik
