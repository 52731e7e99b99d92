#pragma once

#include <filesystem>

#include "platform/io/Result.h"
#include "window/core/FolderListing.h"

namespace trovik {

// The names of the entries of `kind` in `folder`, sorted for display. The folder is read on a
// worker thread; when that takes more than a moment (a folder of a million files), an event loop
// runs meanwhile, so that the windows are still painted, with the busy pointer. Input waits until
// the names are there: the caller's state cannot change under it.
Result<NameList> readFolder(const std::filesystem::path& folder, EntryKind kind);

}  // namespace trovik
