#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/io/Result.h"
#include "window/ListedName.h"

namespace trovik {

// A folder that could not be opened for listing, and why.
struct FolderError {
    std::filesystem::path folder;
    std::error_code error;
};

// The box text for it: the folder, " could not be opened!", a blank line and the system's reason.
std::string FolderErrorText(const FolderError& failure);

enum class EntryKind {
    Folder,  // folders, and links to folders
    File,    // regular files, and links to regular files
};

// The bare names of the entries of `kind` in `folder`, in the order the system gives them.
// Hidden entries (names beginning with a dot) are left out, and so are entries whose kind cannot
// be told (a dangling link). Only reads the folder.
Result<NameList> listEntries(const std::filesystem::path& folder, EntryKind kind);

// The same names, sorted for display. The folder is read on a worker thread; when that takes
// more than a moment (a folder of a million files), an event loop runs meanwhile, so that the
// windows are still painted, with the busy pointer. Input waits until the names are there: the
// caller's state cannot change under it.
Result<NameList> readFolder(const std::filesystem::path& folder, EntryKind kind);

}  // namespace trovik
