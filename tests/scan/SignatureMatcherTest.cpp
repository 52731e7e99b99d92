#include <gtest/gtest.h>

#include <string>

#include "scan/SignatureMatcher.h"
#include "support/ReferenceSearch.h"

namespace trovik {
namespace {

std::span<const std::byte> bytes(std::string_view text) {
    return std::as_bytes(std::span(text.data(), text.size()));
}

// The rule written for clarity, shared with the fuzzers, which hold the matcher to it on any input.
std::optional<SignatureMatch> reference(std::string_view window) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(window.data());  // NOLINT
    return test::referenceSearch(data, window.size());
}

// Every implementation must give the same answer as the reference.
void expectAllAgree(std::string_view window, const std::optional<SignatureMatch>& expected) {
    EXPECT_EQ(reference(window), expected) << "reference";
    EXPECT_EQ(findSignature(bytes(window)), expected) << "findSignature";
    EXPECT_EQ(detail::findSignaturePortable(bytes(window)), expected) << "portable";
#ifdef TROVIK_HAVE_SSE2_MATCHER
    EXPECT_EQ(detail::findSignatureSse2(bytes(window)), expected) << "sse2";
#endif
}

// Each signature as written, at every offset up to the window's end and cut short by it, is in
// the boundary test below.
TEST(SignatureMatcher, FindsWhatTheRuleSays) {
    using namespace std::string_literals;
    const std::pair<std::string, std::optional<SignatureMatch>> cases[] = {
        {"", std::nullopt},
        {"change your password", SignatureMatch{0, 0}},
        {"..software\\borland\\delphi\\rtl", SignatureMatch{1, 2}},
        // A backslash is not folded into a bar, nor a space into a NUL, nor high bytes into
        // letters.
        {"SOFTWARE|Borland|Delphi|RTL", std::nullopt},
        {"Change\0Your\0Password"s, std::nullopt},
        {"\xd3\xc5XSTORY SEX\xd3TORY", std::nullopt},
        {"sExStOrY", SignatureMatch{2, 0}},
        {"\0\0\0\0SEXSTORY"s, SignatureMatch{2, 4}},
        // The earliest position wins, after near misses too.
        {"sexstory change your password", SignatureMatch{2, 0}},
        {"sexstorsoftwarechange youSEXSTORY", SignatureMatch{2, 25}},
    };
    for (const auto& [window, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(window));
        expectAllAgree(window, expected);
    }
}

// The vector path looks at 16 positions at a time and hands the rest to the scalar loop: put
// each signature at every offset around those boundaries, in windows of every nearby length.
TEST(SignatureMatcherBoundaries, EveryOffsetAndLengthAroundTheBlocks) {
    for (std::size_t k = 0; k < StealerSignatures.size(); ++k) {
        const std::string sig(StealerSignatures[k]);
        for (std::size_t size = sig.size(); size < sig.size() + 50; ++size) {
            for (std::size_t at = 0; at + sig.size() <= size; ++at) {
                std::string window(size, 'z');
                window.replace(at, sig.size(), sig);
                SCOPED_TRACE(testing::Message()
                             << "signature " << k << " size " << size << " at " << at);
                expectAllAgree(window, SignatureMatch{k, at});
                window.pop_back();  // now the window ends early for at least the last offsets
                expectAllAgree(window, reference(window));
            }
        }
    }
}

// Any window, and each signature's first offset as -s and --json report them, are held to the
// reference by the matcher's fuzzer, from seeds and a dictionary of the signatures' own letters.

}  // namespace
}  // namespace trovik
