#pragma once

#include <cstdlib>

#include "cli/CommandLine.h"

namespace trovik::test {

// The batch readers trovik-scan would read with in this environment: the suites run once as they
// are and once more with TROVIK_SCAN_IO=single.
inline BatchReaders environmentReaders() {
    const char* choice = std::getenv("TROVIK_SCAN_IO");
    return cli::systemBatchReaders(choice != nullptr ? choice : "");
}

}  // namespace trovik::test
