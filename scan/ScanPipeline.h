#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <system_error>

#include "platform/io/BatchReader.h"
#include "platform/io/FileService.h"
#include "scan/ScanFile.h"
#include "scan/ScanVerdict.h"

// The scan of many files: targets go in, in an order, and their verdicts come out in that order,
// scanned on as many threads as asked, read in batches where a batch reader is given.
namespace trovik {

// One line of the report: a file to scan, a path that could not be scanned at all, or what was
// scanned already by whoever named it (standard input, which can be read only once).
struct Target {
    std::filesystem::path path;
    std::error_code error;  // set when the path was refused before any scan
    std::optional<ScanVerdict> verdict = std::nullopt;  // set when scanned already

    // Whether the verdict is known without reading the path.
    [[nodiscard]] bool settled() const { return error || verdict; }
    // That verdict.
    [[nodiscard]] ScanVerdict settledVerdict() const {
        return verdict ? *verdict : ScanVerdict::unreadable(error);
    }
};

// Takes each target as soon as it is known; returning false stops the walk.
using TargetSink = std::function<bool(Target&&)>;

// Called once per target, in the targets' order, on the calling thread. Returning false stops the
// scan: no further target is reported.
using VerdictSink = std::function<bool(const Target&, const ScanVerdict&)>;

// Scans and reports every target handed over so far, before a source waits (for the next line of
// a list, say), so that no verdict waits for it; false when the scan is to stop.
using Settle = std::function<bool()>;

// Hands the targets, in order, to the sink it is given, on the calling thread; it stops when the
// sink returns false.
using TargetSource = std::function<void(const TargetSink&, const Settle&)>;

// Makes the batch reader of one scanning thread, one of `readers` that work at once; null when
// there is none to be had. The files a batch reader reads must be those the file service opens.
using BatchReaders = std::function<std::unique_ptr<BatchReader>(unsigned readers)>;

// Scans every target of `source` with `threads` threads, the calling one included, and reports
// each verdict in order, whatever order the scans finish in. Scanning begins while the source is
// still producing targets. Each thread reads its targets in batches through a reader of
// `readers`, when it is given one and the reader gives one, and through `files` otherwise, and
// for every file a batch sends back. A target refused before the scan is reported as Unreadable
// with its error. `detail` says whether the verdicts carry the matches.
void scanInOrder(const TargetSource& source, unsigned threads, FileService& files,
                 const BatchReaders& readers, const VerdictSink& sink,
                 MatchDetail detail = MatchDetail::VerdictOnly);

}  // namespace trovik
