#pragma once

#include <chrono>
#include <filesystem>

#include "platform/io/Result.h"
#include "window/core/Browser.h"
#include "window/core/FolderListing.h"

namespace trovik {

// How long a folder is read before the rest of it moves to a worker thread.
inline constexpr std::chrono::milliseconds FolderReadMoment{20};

// The names of the entries of `kind` in `folder`, sorted for display. What is not read within
// `moment` (a folder of a million files) is read on a worker thread while an event loop runs, so
// that the windows are still painted, with the busy pointer. Input waits until the names are
// there: the caller's state cannot change under it.
Result<NameList> readFolder(const std::filesystem::path& folder, EntryKind kind,
                            std::chrono::milliseconds moment = FolderReadMoment);

// The folder listing the window browses with: readFolder's, dot-names hidden.
class QtFolderLister final : public FolderLister {
public:
    Result<NameList> list(const std::filesystem::path& folder, EntryKind kind) override {
        return readFolder(folder, kind);
    }
};

}  // namespace trovik
