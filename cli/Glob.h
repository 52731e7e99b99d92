#pragma once

#include <string_view>

namespace trovik::cli {

// Whether `text` matches `glob`, both in code points, as fnmatch(3) takes *, ? and [...]: [!...]
// and [^...] negated, a ']' first in the brackets one of the set, ranges by code point, and a '['
// with no ']' after it an ordinary character. Windows' way with paths, though: '\' is a
// separator, as '/' is, and never an escape (no name holds a '*' or a '?' there, and "[[]" matches
// a '['). With `inPath`, as with FNM_PATHNAME, no *, ? or [...] matches a separator, and a
// separator of the glob matches either separator of the text. Letter case counts; a caller that
// would ignore it folds both sides first. Character classes ("[[:alpha:]]") are not taken.
bool globMatches(std::u32string_view glob, std::u32string_view text, bool inPath);

}  // namespace trovik::cli
