#include "window/core/NameList.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace trovik {
namespace {

using Char = std::filesystem::path::value_type;

constexpr bool isAscii(Char c) {
    return static_cast<std::uint32_t>(c) < 0x80U;
}

constexpr bool isAsciiCapital(Char c) {
    return c >= 'A' && c <= 'Z';
}

// The case-folded form of an ASCII character.
constexpr Char foldAscii(Char c) {
    return isAsciiCapital(c) ? static_cast<Char>(c - 'A' + 'a') : c;
}

// One name as the sort sees it. Its sort key is its case-folded text: for a name of ASCII
// characters, the name's own bytes when it has no capitals, else a lower-case copy of them; for
// another name, its folded text.
struct SortEntry {
    static constexpr std::int32_t OwnBytes = -1;
    static constexpr std::int32_t LoweredBytes = -2;

    std::uint32_t start;  // of the name in the list's bytes
    std::uint32_t size;
    std::uint32_t keyStart;  // of the key in the lowered bytes
    std::int32_t key;        // OwnBytes, LoweredBytes or the index of the folded text
};

}  // namespace

bool NameList::add(View name) {
    if (name.size() > std::numeric_limits<std::uint32_t>::max() - m_bytes.size()) {
        return false;
    }
    m_bytes.append(name);
    m_ends.push_back(static_cast<std::uint32_t>(m_bytes.size()));
    return true;
}

NameList::View NameList::view(std::size_t index) const {
    const std::uint32_t start = index == 0 ? 0 : m_ends[index - 1];
    return View(m_bytes).substr(start, m_ends[index] - start);
}

void NameList::sortForDisplay(CaseFold fold) {
    std::vector<SortEntry> entries;
    entries.reserve(size());
    std::filesystem::path::string_type lowered;  // keys of ASCII names with capitals
    std::vector<std::u16string> folded;          // keys of the names that are not plain ASCII
    for (std::size_t i = 0; i < size(); ++i) {
        const View name = view(i);
        SortEntry entry{i == 0 ? 0 : m_ends[i - 1], static_cast<std::uint32_t>(name.size()), 0,
                        SortEntry::OwnBytes};
        if (!std::ranges::all_of(name, isAscii)) {
            entry.key = static_cast<std::int32_t>(folded.size());
            folded.push_back(fold(name));
        } else if (std::ranges::any_of(name, isAsciiCapital)) {
            entry.key = SortEntry::LoweredBytes;
            entry.keyStart = static_cast<std::uint32_t>(lowered.size());
            std::ranges::transform(name, std::back_inserter(lowered), foldAscii);
        }
        entries.push_back(entry);
    }

    const Char* bytes = m_bytes.data();
    const auto asciiKey = [&](const SortEntry& e) {
        return e.key == SortEntry::OwnBytes ? View(bytes + e.start, e.size)
                                            : View(lowered.data() + e.keyStart, e.size);
    };
    // Compares keys of which at least one is a folded text, unit by unit.
    const auto compareMixed = [&](const SortEntry& a, const SortEntry& b) {
        const auto unitsOf = [&](const SortEntry& e) {
            return e.key < 0 ? std::size_t{e.size} : folded[static_cast<std::size_t>(e.key)].size();
        };
        const auto unitAt = [&](const SortEntry& e, std::size_t i) -> char16_t {
            return e.key < 0 ? static_cast<char16_t>(asciiKey(e)[i])
                             : folded[static_cast<std::size_t>(e.key)][i];
        };
        const std::size_t aUnits = unitsOf(a);
        const std::size_t bUnits = unitsOf(b);
        for (std::size_t i = 0; i < std::min(aUnits, bUnits); ++i) {
            const char16_t x = unitAt(a, i);
            const char16_t y = unitAt(b, i);
            if (x != y) {
                return x < y ? -1 : 1;
            }
        }
        return aUnits == bUnits ? 0 : (aUnits < bUnits ? -1 : 1);
    };
    std::ranges::sort(entries, [&](const SortEntry& a, const SortEntry& b) {
        const int order =
            a.key < 0 && b.key < 0 ? asciiKey(a).compare(asciiKey(b)) : compareMixed(a, b);
        return order != 0 ? order < 0
                          : View(bytes + a.start, a.size) < View(bytes + b.start, b.size);
    });

    std::filesystem::path::string_type sorted;
    sorted.reserve(m_bytes.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        sorted.append(bytes + entries[i].start, entries[i].size);
        m_ends[i] = static_cast<std::uint32_t>(sorted.size());
    }
    m_bytes = std::move(sorted);
    m_ends.shrink_to_fit();
}

FileSelection label1Selection(const std::filesystem::path& folder, const NameList& names,
                              std::int64_t listIndex) {
    if (listIndex < 0 || static_cast<std::uint64_t>(listIndex) >= names.size()) {
        return {folder, {}, -1};
    }
    return {folder, names.name(static_cast<std::size_t>(listIndex)), listIndex};
}

}  // namespace trovik
