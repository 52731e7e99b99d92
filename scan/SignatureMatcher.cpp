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

// Both implementations filter on the first bytes of each signature, folded: the portable one on
// the first ("c", "s"), the vector one on the first four ("chan", "soft", "sexs").
static_assert(Prepared[0].folded[0] == 'c' && Prepared[0].folded[1] == 'h' &&
              Prepared[0].folded[2] == 'a' && Prepared[0].folded[3] == 'n');
static_assert(Prepared[1].folded[0] == 's' && Prepared[1].folded[1] == 'o' &&
              Prepared[1].folded[2] == 'f' && Prepared[1].folded[3] == 't');
static_assert(Prepared[2].folded[0] == 's' && Prepared[2].folded[1] == 'e' &&
              Prepared[2].folded[2] == 'x' && Prepared[2].folded[3] == 's');
static_assert(Prepared[0].foldMask[3] == 0x20 && Prepared[1].foldMask[3] == 0x20 &&
                  Prepared[2].foldMask[3] == 0x20,
              "the four bytes filtered on are letters");

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

std::optional<SignatureMatch> findSignaturePortable(std::span<const std::byte> window) noexcept {
    return findFrom(bytesOf(window), window.size(), 0);
}

}  // namespace detail

namespace {

#ifdef TROVIK_HAVE_SSE2_MATCHER
std::optional<SignatureMatch> findFromSse2(const std::uint8_t* bytes, std::size_t size,
                                           std::size_t start) noexcept {
    const __m128i fold = _mm_set1_epi8(0x20);
    const auto folded = [&](std::size_t at) {
        return _mm_or_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at)),  // NOLINT
            fold);
    };
    const auto is = [](__m128i got, char wanted) {
        return _mm_cmpeq_epi8(got, _mm_set1_epi8(wanted));
    };

    std::size_t i = start;
    // Each step looks at 16 starting positions and the first four bytes from each, so it reads
    // three bytes past them. A position survives when its four bytes, folded, begin a signature:
    // English text rarely holds "chan", "soft" or "sexs", so the check after it seldom runs.
    for (; i + 16 + 3 <= size; i += 16) {
        const __m128i b0 = folded(i);
        const __m128i b1 = folded(i + 1);
        const __m128i b2 = folded(i + 2);
        const __m128i b3 = folded(i + 3);
        const __m128i chan = _mm_and_si128(_mm_and_si128(is(b0, 'c'), is(b1, 'h')),
                                           _mm_and_si128(is(b2, 'a'), is(b3, 'n')));
        const __m128i soft = _mm_and_si128(_mm_and_si128(is(b1, 'o'), is(b2, 'f')), is(b3, 't'));
        const __m128i sexs = _mm_and_si128(_mm_and_si128(is(b1, 'e'), is(b2, 'x')), is(b3, 's'));
        const __m128i hits =
            _mm_or_si128(chan, _mm_and_si128(is(b0, 's'), _mm_or_si128(soft, sexs)));
        auto candidates = static_cast<unsigned>(_mm_movemask_epi8(hits));
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

// The first signature at or after `start`, by the fastest implementation there is.
std::optional<SignatureMatch> findFast(const std::uint8_t* bytes, std::size_t size,
                                       std::size_t start) noexcept {
#ifdef TROVIK_HAVE_SSE2_MATCHER
    return findFromSse2(bytes, size, start);
#else
    return findFrom(bytes, size, start);
#endif
}

}  // namespace

#ifdef TROVIK_HAVE_SSE2_MATCHER
std::optional<SignatureMatch> detail::findSignatureSse2(
    std::span<const std::byte> window) noexcept {
    return findFromSse2(bytesOf(window), window.size(), 0);
}
#endif

std::optional<SignatureMatch> findSignature(std::span<const std::byte> window) noexcept {
    return findFast(bytesOf(window), window.size(), 0);
}

void SignatureMatches::add(SignatureMatch match) noexcept {
    std::size_t at = 0;
    while (at < m_size && m_items[at].signature < match.signature) {
        ++at;
    }
    if ((at < m_size && m_items[at].signature == match.signature) || m_size == m_items.size()) {
        return;
    }
    for (std::size_t i = m_size; i > at; --i) {
        m_items[i] = m_items[i - 1];
    }
    m_items[at] = match;
    ++m_size;
}

SignatureMatches findEachSignature(std::span<const std::byte> window) noexcept {
    // At most one signature begins at any offset (they differ in their first two bytes), so
    // searching again from the byte after each match meets every signature's first occurrence.
    SignatureMatches found;
    std::size_t from = 0;
    while (found.size() < StealerSignatures.size()) {
        const auto match = findFast(bytesOf(window), window.size(), from);
        if (!match) {
            break;
        }
        found.add(*match);
        from = match->offset + 1;
    }
    return found;
}

}  // namespace trovik
