#pragma once

// The plainest search that states the matching rule, for the tests and the fuzzers to hold the
// matcher to. Written for clarity, not speed.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "scan/SignatureMatcher.h"

namespace trovik::test {

// Only the ASCII letters have a case; every other byte stands for itself.
inline unsigned char asciiLower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Signature k occurs at `offset` when it fits before the end and every byte matches.
inline bool occursAt(const std::uint8_t* data, std::size_t size, std::size_t offset,
                     std::size_t k) {
    const auto signature = StealerSignatures[k];
    if (offset + signature.size() > size) {
        return false;
    }
    for (std::size_t j = 0; j < signature.size(); ++j) {
        if (asciiLower(data[offset + j]) != asciiLower(static_cast<unsigned char>(signature[j]))) {
            return false;
        }
    }
    return true;
}

// The first position at which any signature occurs; at one position, the first in table order.
inline std::optional<SignatureMatch> referenceSearch(const std::uint8_t* data, std::size_t size) {
    for (std::size_t offset = 0; offset < size; ++offset) {
        for (std::size_t k = 0; k < StealerSignatures.size(); ++k) {
            if (occursAt(data, size, offset, k)) {
                return SignatureMatch{k, offset};
            }
        }
    }
    return std::nullopt;
}

// Each signature's first occurrence, in the signatures' order.
inline SignatureMatches referenceEach(const std::uint8_t* data, std::size_t size) {
    SignatureMatches found;
    for (std::size_t k = 0; k < StealerSignatures.size(); ++k) {
        for (std::size_t offset = 0; offset < size; ++offset) {
            if (occursAt(data, size, offset, k)) {
                found.add({k, offset});
                break;
            }
        }
    }
    return found;
}

}  // namespace trovik::test
