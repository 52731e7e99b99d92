#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/io/Result.h"
#include "window/core/NameList.h"

namespace trovik {

// A folder that could not be opened for listing, and why.
struct FolderError {
    std::filesystem::path folder;
    std::error_code error;
};

// The box text for it: the folder, " could not be opened!", a blank line and the system's reason.
std::string folderErrorText(const FolderError& failure);

// `folder` made absolute and tidy: no "." or ".." steps, no separator at the end but on the root.
std::filesystem::path tidyFolder(const std::filesystem::path& folder);

enum class EntryKind {
    Folder,  // folders, and links to folders
    File,    // regular files, and links to regular files
};

// Reads the bare names of one folder's entries of one kind, in the order the system gives them,
// in as many steps as the caller likes (a window reads a huge folder on a worker thread). Hidden
// entries (names beginning with a dot) are left out, and so are entries whose kind cannot be told
// (a dangling link). Only reads the folder.
class FolderReader {
public:
    // Opens `folder` for reading, or says why it cannot be.
    static Result<FolderReader> open(const std::filesystem::path& folder, EntryKind kind);

    // Reads up to the end of the folder and returns true, or returns false as soon as `stop`
    // answers true (it is asked every 256 entries).
    template <typename Stop>
    bool read(Stop stop);

    // The names read, or why the folder could not be read to its end.
    Result<NameList> names() &&;

private:
    FolderReader(std::filesystem::directory_iterator entries, EntryKind kind)
        : m_entries(std::move(entries)), m_kind(kind) {}

    // Adds the entry the reader is on when it is wanted; false when the list is full.
    bool take(const std::filesystem::directory_entry& entry);

    std::filesystem::directory_iterator m_entries;
    EntryKind m_kind;
    NameList m_names;
    std::error_code m_error;
};

template <typename Stop>
bool FolderReader::read(Stop stop) {
    std::size_t seen = 0;
    for (; m_entries != std::filesystem::directory_iterator(); m_entries.increment(m_error)) {
        if (++seen % 256 == 0 && stop()) {
            return false;
        }
        if (!take(*m_entries)) {
            m_error = std::make_error_code(std::errc::value_too_large);
            break;
        }
    }
    return true;
}

}  // namespace trovik
