#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "scan/ScanPipeline.h"

namespace trovik::cli {

// How folders are walked.
struct WalkOptions {
    bool recursive = false;  // walk the folders named, and their subfolders
    // Follow links in a walk (symbolic links, and on Windows junctions); without it they are passed
    // over. Each folder is then walked once, by device and inode (on Windows, volume serial number
    // and file index), under the first path met; a folder met again (a loop, or a second way in)
    // is passed over.
    bool follow = false;
    // In a walk, the files and the folders passed over: those whose name matches one of these
    // globs or, for a glob with a '/' in it (or on Windows a '\'), whose path below the walk's
    // root does.
    std::vector<std::string> excludeFiles;
    std::vector<std::string> excludeFolders;
};

// Whether a file's name matches the glob (*, ? and [...], as fnmatch takes them). On Windows,
// without regard to letter case, as the system takes names, and by globMatches.
bool nameMatches(const std::string& glob, const std::filesystem::path& name);

// As nameMatches, for a path whose '/' only a '/' of the glob matches; on Windows '/' and '\'
// alike.
bool pathMatches(const std::string& glob, const std::filesystem::path& path);

// The folders walked so far, by device and inode (on Windows, volume serial number and file
// index), and the number of paths the walks passed over.
class FolderSet {
public:
    // False when the folder was there already; true when added, or when it cannot be identified
    // (its error then comes from listing it).
    bool add(const std::filesystem::path& folder);

    // A link not followed, or a FIFO, socket or device, met in a walk and not scanned.
    void passOver() { ++m_passedOver; }
    [[nodiscard]] std::size_t passedOver() const { return m_passedOver; }

private:
    std::set<std::pair<std::uintmax_t, std::uintmax_t>> m_ids;
    std::size_t m_passedOver = 0;
};

// Turns one path named (on the command line or in a list) into the files to scan, in a fixed
// order: within a folder walked with `recursive`, its entries sorted by name, each subfolder walked
// where it stands. Inside a walk, links are followed only with `follow` (a link named is always
// followed), and FIFOs, sockets and devices are left out; named, they are errors, as is a folder
// named without `recursive`. The exclusions apply inside a walk only: a path named is scanned as
// named. Each target goes to `emit` as soon as it is known, so that scanning can begin before the
// walk ends; false when `emit` asked to stop. `seen` carries the folders walked from one named
// path to the next.
bool collectTarget(const std::filesystem::path& argument, const WalkOptions& options,
                   FolderSet& seen, const TargetSink& emit);

}  // namespace trovik::cli
