// Differential fuzzing of the signature matcher: findSignature, both of its implementations and
// findEachSignature (each signature's first offset, as -s and --json report them) must agree, on
// every input, with the plainest search that states the rule.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "scan/SignatureMatcher.h"
#include "support/ReferenceSearch.h"

namespace {

void expect(bool agrees, const char* which, std::size_t size) {
    if (!agrees) {
        std::fprintf(stderr, "%s disagrees with the reference on %zu bytes\n", which, size);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The window is whatever arrived from the file: any bytes, any length up to the window size.
    if (size > trovik::ScanWindowSize) {
        return -1;
    }
    const std::span<const std::byte> window(reinterpret_cast<const std::byte*>(data), size);
    const auto expected = trovik::test::referenceSearch(data, size);
    expect(trovik::findSignature(window) == expected, "findSignature", size);
    expect(trovik::detail::findSignaturePortable(window) == expected, "portable", size);
#ifdef TROVIK_HAVE_SSE2_MATCHER
    expect(trovik::detail::findSignatureSse2(window) == expected, "sse2", size);
#endif
    expect(trovik::findEachSignature(window) == trovik::test::referenceEach(data, size),
           "findEachSignature", size);
    return 0;
}
