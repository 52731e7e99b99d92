#pragma once

#include <functional>

#include "cli/Targets.h"
#include "platform/io/FileService.h"
#include "scan/ScanFile.h"
#include "scan/ScanVerdict.h"

namespace trovik::cli {

// Called once per target, in the targets' order, on the calling thread. Returning false stops the
// scan: no further target is reported.
using VerdictSink = std::function<bool(const Target&, const ScanVerdict&)>;

// Scans and reports every target handed over so far, before a source waits (for the next line of
// a list, say), so that no verdict waits for it; false when the scan is to stop.
using Settle = std::function<bool()>;

// Hands the targets, in order, to the sink it is given, on the calling thread; it stops when the
// sink returns false. collectTargets is one.
using TargetSource = std::function<void(const TargetSink&, const Settle&)>;

// Scans every target of `source` with `threads` threads, the calling one included, and reports
// each verdict in order, whatever order the scans finish in. Scanning begins while the source is
// still producing targets. A target refused before the scan is reported as Unreadable with its
// error. `detail` says whether the verdicts carry the matches.
void scanInOrder(const TargetSource& source, unsigned threads, FileService& files,
                 const VerdictSink& sink, MatchDetail detail = MatchDetail::VerdictOnly);

}  // namespace trovik::cli
