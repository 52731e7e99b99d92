#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "window/core/NameList.h"

namespace trovik {
namespace {

using Name = std::filesystem::path::string_type;

// A stand-in for the toolkit's folding of names that are not plain ASCII: each unit (a byte on
// POSIX, a UTF-16 unit on Windows) as a character, with the ASCII and Latin-1 capitals folded.
std::u16string testFold(NameList::View name) {
    std::u16string folded;
    for (const auto unit : name) {
        const auto c =
            static_cast<char16_t>(static_cast<std::make_unsigned_t<Name::value_type>>(unit));
        folded += (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE) ? c + 32 : c;
    }
    return folded;
}

// The order is that of the names' folded texts, names equal but for case in the order of their
// bytes, whatever mix of plain ASCII, ASCII with capitals and other names a folder holds.
TEST(NameList, SortsByTheFoldedTextsThenByBytes) {
    std::vector<Name> names;
    for (const std::u16string_view text :
         {u"Zeta",      u"zeta",      u"[x",     u"_y",         u"a",          u"A",
          u"ab",        u"aB",        u"Z",      u"z0",         u"Z0",         u"~",
          u"CAF",       u"caf",       u"emile",  u"\u00c9mile", u"\u00e9mile", u"caf\u00c9",
          u"caf\u00e9", u"Caf\u00e8", u"\u00c0", u"\u00e0b"}) {
        names.emplace_back(text.begin(), text.end());
    }
    std::vector<Name> expected = names;
    std::ranges::sort(expected, [](const Name& x, const Name& y) {
        return std::pair(testFold(x), x) < std::pair(testFold(y), y);
    });
    std::mt19937 shuffle(7);
    for (int round = 0; round < 10; ++round) {
        std::ranges::shuffle(names, shuffle);
        NameList list;
        for (const auto& name : names) {
            ASSERT_TRUE(list.add(name));
        }
        list.sortForDisplay(testFold);
        for (std::size_t i = 0; i < list.size(); ++i) {
            ASSERT_EQ(Name(list.view(i)), expected[i]) << "round " << round << ", row " << i;
        }
    }
}

}  // namespace
}  // namespace trovik
