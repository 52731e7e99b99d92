#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/io/FileService.h"

namespace trovik::cli {

// Exit statuses of trovik-scan.
enum ExitStatus : int {
    AllClean = 0,       // every file was scanned and none is a stealer
    StealerFound = 1,   // at least one file is a password stealer
    NotAllScanned = 2,  // no stealer, but some path could not be scanned (or bad usage)
};

// Runs trovik-scan with `arguments` (the program name first) and returns the exit status.
// Verdicts go to `out`, one line a file; paths that cannot be scanned, to `err`.
int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   FileService& files);

}  // namespace trovik::cli
