// Lets the C baseline loop search with trovik's matcher, so that the loop can be timed with the
// same search as trovik-scan and the difference left is the rest of the work per file.
#include <cstddef>
#include <span>

#include "scan/SignatureMatcher.h"

extern "C" int trovik_find_signature(const unsigned char* bytes, std::size_t size) {
    const std::span window(reinterpret_cast<const std::byte*>(bytes), size);  // NOLINT
    return trovik::findSignature(window).has_value() ? 1 : 0;
}
