#include "scan/SignatureMatcher.h"

#include <bit>
#include <cstdint>

#ifdef TROVIK_HAVE_SSE2_MATCHER
#include <emmintrin.h>
#endif

namespace trovik {
namespace {

constexpr bool isAsciiLetter(char c) noexcept {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A signature prepared for case-blind comparison: a byte b of the window matches position j when
// (b | foldMask[j]) == folded[j]. For letters foldMask is 0x20, which maps exactly the upper and
// lower case letter onto the lower case one; for every other byte it is 0 and equality is exact.
struct PreparedSignature {
    std::array<std::uint8_t, 32> folded{};
    std::array<std::uint8_t, 32> foldMask{};
    std::size_t length = 0;
};

constexpr PreparedSignature prepare(std::string_view text) {
    PreparedSignature prepared;
    prepared.length = text.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool letter = isAsciiLetter(text[i]);
        prepared.foldMask[i] = letter ? 0x20 : 0x00;
        prepared.folded[i] =
            static_cast<std::uint8_t>(static_cast<std::uint8_t>(text[i]) | prepared.foldMask[i]);
    }
    return prepared;
}

constexpr std::array<PreparedSignature, StealerSignatures.size()> Prepared{
    prepare(StealerSignatures[0]),
    prepare(StealerSignatures[1]),
    prepare(StealerSignatures[2]),
};

static_assert(StealerSignatures[0].size() <= 32 && StealerSignatures[1].size() <= 32 &&
                  StealerSignatures[2].size() <= 32,
              "signatures must fit their prepared form");

// Both implementations filter on the first two bytes of each signature, folded: "ch", "so", "se".
static_assert(Prepared[0].folded[0] == 'c' && Prepared[0].folded[1] == 'h');
static_assert(Prepared[1].folded[0] == 's' && Prepared[1].folded[1] == 'o');
static_assert(Prepared[2].folded[0] == 's' && Prepared[2].folded[1] == 'e');

bool matchesAt(const std::uint8_t* window, std::size_t size, std::size_t offset,
               const PreparedSignature& signature) noexcept {
    if (size - offset < signature.length) {
        return false;  // it would run past the end of the window
    }
    for (std::size_t j = 0; j < signature.length; ++j) {
        if ((window[offset + j] | signature.foldMask[j]) != signature.folded[j]) {
            return false;
        }
    }
    return true;
}

std::optional<SignatureMatch> signatureAt(const std::uint8_t* window, std::size_t size,
                                          std::size_t offset) noexcept {
    for (std::size_t k = 0; k < Prepared.size(); ++k) {
        if (matchesAt(window, size, offset, Prepared[k])) {
            return SignatureMatch{k, offset};
        }
    }
    return std::nullopt;
}

std::optional<SignatureMatch> findFrom(const std::uint8_t* window, std::size_t size,
                                       std::size_t start) noexcept {
    for (std::size_t i = start; i < size; ++i) {
        const auto first = static_cast<std::uint8_t>(window[i] | 0x20);
        if (first == 'c' || first == 's') {
            if (auto match = signatureAt(window, size, i)) {
                return match;
            }
        }
    }
    return std::nullopt;
}

const std::uint8_t* bytesOf(std::span<const std::byte> window) noexcept {
    return reinterpret_cast<const std::uint8_t*>(window.data());  // NOLINT
}

}  // namespace

namespace detail {

std::optional<SignatureMatch> FindSignaturePortable(std::span<const std::byte> window) noexcept {
    return findFrom(bytesOf(window), window.size(), 0);
}

#ifdef TROVIK_HAVE_SSE2_MATCHER
std::optional<SignatureMatch> FindSignatureSse2(std::span<const std::byte> window) noexcept {
    const std::uint8_t* bytes = bytesOf(window);
    const std::size_t size = window.size();
    const __m128i fold = _mm_set1_epi8(0x20);
    const __m128i c = _mm_set1_epi8('c');
    const __m128i h = _mm_set1_epi8('h');
    const __m128i s = _mm_set1_epi8('s');
    const __m128i o = _mm_set1_epi8('o');
    const __m128i e = _mm_set1_epi8('e');

    std::size_t i = 0;
    // Each step looks at 16 starting positions; their second bytes reach one byte further.
    for (; i + 17 <= size; i += 16) {
        const __m128i first = _mm_or_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i)), fold);  // NOLINT
        const __m128i second = _mm_or_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + 1)), fold);  // NOLINT
        const __m128i ch = _mm_and_si128(_mm_cmpeq_epi8(first, c), _mm_cmpeq_epi8(second, h));
        const __m128i sx =
            _mm_and_si128(_mm_cmpeq_epi8(first, s),
                          _mm_or_si128(_mm_cmpeq_epi8(second, o), _mm_cmpeq_epi8(second, e)));
        auto candidates = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(ch, sx)));
        while (candidates != 0) {
            const auto offset = i + static_cast<std::size_t>(std::countr_zero(candidates));
            if (auto match = signatureAt(bytes, size, offset)) {
                return match;
            }
            candidates &= candidates - 1;
        }
    }
    return findFrom(bytes, size, i);
}
#endif

}  // namespace detail

std::optional<SignatureMatch> FindSignature(std::span<const std::byte> window) noexcept {
#ifdef TROVIK_HAVE_SSE2_MATCHER
    return detail::FindSignatureSse2(window);
#else
    return detail::FindSignaturePortable(window);
#endif
}

}  // namespace trovik
