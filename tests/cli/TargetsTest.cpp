#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/Glob.h"

#ifndef _WIN32
#include <fnmatch.h>
#endif

namespace trovik::cli {
namespace {

struct GlobRow {
    std::u32string glob;
    std::u32string text;
    bool inPath;
    bool matches;
};

// Rows without a '\', on which the matcher must agree with fnmatch; on Linux each row is checked
// against fnmatch too, so that the table says what fnmatch says.
TEST(GlobMatches, AgreesWithFnmatch) {
    const std::vector<GlobRow> rows{
        {U"*.exe", U"setup.exe", false, true},
        {U"*.exe", U"setup.exe.txt", false, false},
        {U"a*b*c", U"a-b-b-c", false, true},
        {U"a*b*c", U"a-b-c-", false, false},
        {U"?", U"", false, false},
        {U"??", U"ab", false, true},
        {U"", U"", false, true},
        {U"*", U"", false, true},
        {U"[abc]x", U"bx", false, true},
        {U"[a-c]x", U"dx", false, false},
        {U"[!a-c]x", U"dx", false, true},
        {U"[^a-c]x", U"ax", false, false},
        {U"[]a]", U"]", false, true},
        {U"[!]a]", U"b", false, true},
        {U"[a-]", U"-", false, true},
        {U"[a-c-e]", U"d", false, false},
        {U"[a-c-e]", U"-", false, true},
        {U"[z-a]", U"m", false, false},
        {U"[", U"[", false, true},
        {U"[a", U"[a", false, true},
        {U"[!]", U"!", false, false},
        {U"[[]x", U"[x", false, true},
        {U"*", U"a/b", false, true},
        {U"*", U"a/b", true, false},
        {U"?", U"/", true, false},
        {U"a[/]b", U"a/b", true, false},
        {U"[!a]", U"/", true, false},
        {U"a/*", U"a/b", true, true},
        {U"a/*", U"a/b/c", true, false},
        {U"*/c", U"a/b/c", true, false},
        {U"*/*/c", U"a/b/c", true, true},
        {U"*b/c", U"xb/c", true, true},
        {U"*b/c", U"a/xb/c", true, false},
        {U"a*", U"a/b", true, false},
        {U"*/", U"a/", true, true},
    };
    for (const auto& [glob, text, inPath, matches] : rows) {
        const std::string shown(glob.begin(), glob.end());
        const std::string against(text.begin(), text.end());
        EXPECT_EQ(globMatches(glob, text, inPath), matches)
            << shown << " on " << against << (inPath ? " in a path" : "");
#ifndef _WIN32
        EXPECT_EQ(::fnmatch(shown.c_str(), against.c_str(), inPath ? FNM_PATHNAME : 0) == 0,
                  matches)
            << "fnmatch: " << shown << " on " << against;
#endif
    }
}

// Windows' separators and characters beyond ASCII, where fnmatch has no say.
TEST(GlobMatches, TakesWindowsSeparatorsAndCodePoints) {
    const std::vector<GlobRow> rows{
        {U"a/*", U"a\\b", true, true},
        {U"a\\*", U"a/b", true, true},
        {U"a\\*", U"a\\b", true, true},
        {U"*", U"a\\b", true, false},
        {U"?", U"\\", true, false},
        {U"[\\]", U"\\", true, false},
        {U"a\\*", U"a*", false, false},
        {U"?", U"\U0001F600", false, true},
        {U"[\u00e0-\u00ff]", U"\u00e9", false, true},
        {U"caf?", U"caf\u00e9", false, true},
    };
    for (std::size_t row = 0; row < rows.size(); ++row) {
        EXPECT_EQ(globMatches(rows[row].glob, rows[row].text, rows[row].inPath), rows[row].matches)
            << "row " << row;
    }
}

}  // namespace
}  // namespace trovik::cli
