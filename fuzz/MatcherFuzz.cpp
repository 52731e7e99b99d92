// Differential fuzzing of the signature matcher: FindSignature and both of its implementations
// must agree, on every input, with the plainest search that states the matching rule. Every
// signature's first offset, as -s and --json report them, must agree with it too: the earliest
// is the first signature, and each lies where it is said to begin.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>

#include "scan/SignatureMatcher.h"
#include "support/ReferenceSearch.h"

namespace {

using trovik::SignatureMatch;
using trovik::test::referenceSearch;

void expectSame(const std::optional<SignatureMatch>& expected,
                const std::optional<SignatureMatch>& actual, const char* which) {
    if (expected != actual) {
        const auto describe = [](const std::optional<SignatureMatch>& match, char* text,
                                 std::size_t size) {
            if (match) {
                std::snprintf(text, size, "signature %zu at %zu", match->signature, match->offset);
            } else {
                std::snprintf(text, size, "no signature");
            }
        };
        char wanted[64];
        char got[64];
        describe(expected, wanted, sizeof wanted);
        describe(actual, got, sizeof got);
        std::fprintf(stderr, "%s disagrees with the reference: expected %s, got %s\n", which,
                     wanted, got);
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
    const auto expected = referenceSearch(data, size);
    expectSame(expected, trovik::FindSignature(window), "FindSignature");
    expectSame(expected, trovik::detail::FindSignaturePortable(window), "FindSignaturePortable");
#ifdef TROVIK_HAVE_SSE2_MATCHER
    expectSame(expected, trovik::detail::FindSignatureSse2(window), "FindSignatureSse2");
#endif
    std::optional<SignatureMatch> earliest;
    for (const SignatureMatch& match : trovik::FindEachSignature(window)) {
        if (!earliest || match.offset < earliest->offset) {
            earliest = match;
        }
        expectSame(SignatureMatch{match.signature, 0},
                   referenceSearch(data + match.offset, size - match.offset), "FindEachSignature");
    }
    expectSame(expected, earliest, "FindEachSignature, earliest");
    return 0;
}
