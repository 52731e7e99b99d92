#pragma once

#include <functional>
#include <vector>

#include "cli/Targets.h"
#include "platform/io/FileService.h"
#include "scan/ScanVerdict.h"

namespace trovik::cli {

// Called once per target, in the targets' order, on the calling thread. Returning false stops the
// scan: no further target is reported.
using VerdictSink = std::function<bool(const Target&, const ScanVerdict&)>;

// Scans every target with `threads` threads and reports each verdict in order, whatever order the
// scans finish in. A target refused before the scan is reported as Unreadable with its error.
void ScanInOrder(const std::vector<Target>& targets, unsigned threads, FileService& files,
                 const VerdictSink& sink);

}  // namespace trovik::cli
