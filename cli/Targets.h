#pragma once

#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

namespace trovik::cli {

// One line of the report: a file to scan, or a path that could not be scanned at all.
struct Target {
    std::filesystem::path path;
    std::error_code error;  // set when the path was refused before any scan
};

// Takes each target as soon as it is known; returning false stops the walk.
using TargetSink = std::function<bool(Target&&)>;

// Turns the paths named on the command line into the files to scan, in a fixed order: the order
// of the arguments and, within a folder walked with `recursive`, its entries sorted by name,
// each subfolder walked where it stands. Inside a walk, links to folders are not followed and
// FIFOs, sockets and devices are left out; named on the command line they are errors, as is a
// folder named without `recursive`. Each target goes to `emit` as soon as it is known, so that
// scanning can begin before the walk ends.
void CollectTargets(const std::vector<std::filesystem::path>& arguments, bool recursive,
                    const TargetSink& emit);

}  // namespace trovik::cli
