#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace trovik {

// No more than this many bytes from the start of a file are ever examined.
inline constexpr std::size_t ScanWindowSize = 32000;

// The texts whose presence marks a password stealer, in the order they are reported. Letter case
// is ignored for the ASCII letters; every other byte must be equal.
inline constexpr std::array<std::string_view, 3> StealerSignatures{
    "Change Your Password",
    "SOFTWARE\\Borland\\Delphi\\RTL",
    "SEXSTORY",
};

struct SignatureMatch {
    std::size_t signature = 0;  // index into StealerSignatures
    std::size_t offset = 0;     // where it begins in the window, from 0

    friend bool operator==(const SignatureMatch&, const SignatureMatch&) = default;
};

// The first signature, by position, that lies wholly inside `window`. One pass over the window
// finds all three; the result does not depend on the process's locale.
std::optional<SignatureMatch> findSignature(std::span<const std::byte> window) noexcept;

// Every signature found in a window, each once, at its first occurrence, in the order of
// StealerSignatures. It holds at most one match a signature, so it needs no allocation.
class SignatureMatches {
public:
    [[nodiscard]] const SignatureMatch* begin() const noexcept { return m_items.data(); }
    [[nodiscard]] const SignatureMatch* end() const noexcept { return m_items.data() + m_size; }
    [[nodiscard]] std::size_t size() const noexcept { return m_size; }
    [[nodiscard]] bool empty() const noexcept { return m_size == 0; }
    [[nodiscard]] const SignatureMatch& operator[](std::size_t i) const noexcept {
        return m_items[i];
    }

    // Keeps the signatures' order whatever order the matches are added in; a signature already
    // held is left as it is.
    void add(SignatureMatch match) noexcept;

    friend bool operator==(const SignatureMatches&, const SignatureMatches&) = default;

private:
    std::array<SignatureMatch, StealerSignatures.size()> m_items{};
    std::size_t m_size = 0;
};

// Each signature that lies wholly inside `window`, with the offset of its first occurrence. It
// goes on past the first match, so it costs more than findSignature on a stealer; it stops once
// all the signatures are found.
SignatureMatches findEachSignature(std::span<const std::byte> window) noexcept;

namespace detail {
// The two implementations behind findSignature, exposed so that tests and the fuzzer can prove
// them equal. The vector one exists only where the processor has SSE2.
std::optional<SignatureMatch> findSignaturePortable(std::span<const std::byte> window) noexcept;
#if defined(__SSE2__) || defined(_M_X64)
#define TROVIK_HAVE_SSE2_MATCHER 1
std::optional<SignatureMatch> findSignatureSse2(std::span<const std::byte> window) noexcept;
#endif
}  // namespace detail

}  // namespace trovik
