#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "scan/ScanCommand.h"
#include "window/core/NameList.h"

namespace trovik {

// The file trovik is started with (a file manager's "Open With", Explorer's "Scan with trovik", a
// file dropped on the window): the folder the lists open on, and the file's name in it.
struct StartFile {
    std::filesystem::path folder;
    std::filesystem::path name;
};

// `argument` as given, a path relative to `workingFolder` or absolute, split into its folder and
// its name. A path that ends in a separator names no file: its name is empty.
StartFile startFile(const std::filesystem::path& argument,
                    const std::filesystem::path& workingFolder);

// The entry named `name` in `names`; -1 when there is none.
std::int64_t indexOfName(const NameList& names, const std::filesystem::path& name);

// What the scan of the start file hands ScanCommand, as if its entry had been chosen and "Scan
// File!" clicked: the entry in the file list (`names`, the files of `listedFolder`) when the list
// shows it; otherwise the file as named, so that one that is missing, hidden or not a file gets
// the box a scan of it gives.
FileSelection startSelection(const StartFile& file, const std::filesystem::path& listedFolder,
                             const NameList& names);

// The file a drop on the window opens: the one path dropped, when it is not a folder. A drop of
// several paths, or of a folder, is passed over: none.
std::optional<std::filesystem::path> droppedFile(const std::vector<std::filesystem::path>& dropped);

}  // namespace trovik
