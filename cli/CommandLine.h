#pragma once

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/io/FileService.h"
#include "scan/ScanPipeline.h"

namespace trovik::cli {

// Exit statuses of trovik-scan.
enum ExitStatus : int {
    AllClean = 0,       // every file was scanned and none is a stealer
    StealerFound = 1,   // at least one file is a password stealer
    NotAllScanned = 2,  // no stealer, but some path could not be scanned (or bad usage, or the
                        // report could not be written)
};

// Where trovik-scan reads lists of paths from and writes to.
struct Console {
    std::istream& in;             // the list of paths given as "--files-from -"
    std::ostream& out;            // the report
    std::ostream& err;            // failures, the summary and the progress line
    bool errIsTerminal = false;   // the progress line is shown only on a terminal
    std::size_t columns = 80;     // the terminal's width
    bool outIsTerminal = false;   // names in verdict lines are then escaped
    bool sharedTerminal = false;  // out and err are one terminal: verdicts wipe the progress line
};

// Runs trovik-scan with `arguments` (the program name first) and returns the exit status.
// Verdicts go to `out`, one line a file; paths that cannot be scanned, to `err`. Files are read
// through `files`, in batches where `readers` gives a reader.
int runCommandLine(const std::vector<std::string>& arguments, const Console& console,
                   FileService& files, const BatchReaders& readers);

// The system's batch readers, as TROVIK_SCAN_IO (its value `choice`, empty when unset) asks:
// "single" for none, so that every file is read on its own; otherwise io_uring where the system
// offers it.
BatchReaders systemBatchReaders(std::string_view choice);

// trovik-scan on the system's files, with standard input as the list and no progress line.
int runCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   const BatchReaders& readers);

}  // namespace trovik::cli
