#include "platform/io/BatchReader.h"

namespace trovik {

// Systems without a way to batch reads read each file through the file service.
std::unique_ptr<BatchReader> makeSystemBatchReader(unsigned /*readers*/) noexcept {
    return nullptr;
}

}  // namespace trovik
