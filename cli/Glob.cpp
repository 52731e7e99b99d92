#include "cli/Glob.h"

#include <cstddef>
#include <optional>

namespace trovik::cli {
namespace {

bool isSeparator(char32_t c) {
    return c == U'/' || c == U'\\';
}

// A bracket expression: where it ends in the glob, and whether it takes a character.
struct Bracket {
    std::size_t end = 0;  // just past its ']'
    bool takes = false;
};

// The bracket expression that opens at glob[open] ('['), applied to `c`; none when no ']' closes
// it, and the '[' is then an ordinary character.
std::optional<Bracket> readBracket(std::u32string_view glob, std::size_t open, char32_t c) {
    std::size_t at = open + 1;
    const bool negated = at < glob.size() && (glob[at] == U'!' || glob[at] == U'^');
    at += negated ? 1 : 0;
    bool member = false;
    // A ']' right after the opening is one of the set.
    for (bool first = true; at < glob.size() && (first || glob[at] != U']'); first = false) {
        const char32_t low = glob[at];
        char32_t high = low;
        if (at + 2 < glob.size() && glob[at + 1] == U'-' && glob[at + 2] != U']') {
            high = glob[at + 2];
            at += 2;
        }
        member = member || (low <= c && c <= high);
        ++at;
    }
    if (at >= glob.size()) {
        return std::nullopt;
    }
    return Bracket{at + 1, member != negated};
}

// Whether the glob's element at glob[at] takes text's character `c`; `next` is then just past
// the element.
bool takes(std::u32string_view glob, std::size_t at, char32_t c, bool inPath, std::size_t& next) {
    next = at + 1;
    const char32_t g = glob[at];
    if (inPath && isSeparator(c)) {
        return isSeparator(g);
    }
    if (g == U'?') {
        return true;
    }
    if (g == U'[') {
        if (const auto bracket = readBracket(glob, at, c)) {
            next = bracket->end;
            return bracket->takes;
        }
    }
    return g == c || (inPath && isSeparator(g) && isSeparator(c));
}

}  // namespace

bool globMatches(std::u32string_view glob, std::u32string_view text, bool inPath) {
    std::size_t g = 0;
    std::size_t t = 0;
    // Where the last '*' met stands in the glob, and the text it has taken so far: a mismatch
    // after it gives it one more character and tries again. A later '*' can take whatever an
    // earlier one would have, so the last one alone need be tried.
    std::optional<std::size_t> star;
    std::size_t starText = 0;
    while (t < text.size()) {
        std::size_t next = 0;
        if (g < glob.size() && glob[g] == U'*') {
            star = ++g;
            starText = t;
        } else if (g < glob.size() && takes(glob, g, text[t], inPath, next)) {
            g = next;
            ++t;
        } else if (star && !(inPath && isSeparator(text[starText]))) {
            g = *star;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (g < glob.size() && glob[g] == U'*') {
        ++g;
    }
    return g == glob.size();
}

}  // namespace trovik::cli
