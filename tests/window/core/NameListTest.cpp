#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "window/core/NameList.h"

namespace trovik {
namespace {

using Name = std::filesystem::path::string_type;

// A stand-in for the toolkit's folding of names that are not plain ASCII: each unit as it is,
// but for a few capitals folded, so that folded keys differ from the name's own units.
std::u16string testFold(NameList::View name) {
    std::u16string folded;
    using Unit = std::make_unsigned_t<std::filesystem::path::value_type>;
    for (const auto unit : name) {
        const auto c = static_cast<char16_t>(static_cast<Unit>(unit));
        const bool capital = (c >= u'A' && c <= u'Z') || c == 0xC0 || c == 0xC9;
        folded += capital ? static_cast<char16_t>(c + 32) : c;
    }
    return folded;
}

// The order is that of the names' folded texts, names equal but for case in the order of their
// bytes, whatever mix of plain ASCII, ASCII with capitals and other names a folder holds.
TEST(NameList, SortsByTheFoldedTextsThenByBytes) {
    std::vector<Name> names;
    for (const char* ascii : {"Zeta", "zeta", "[x", "_y", "a", "A", "ab", "aB", "emile", "Z", "z0",
                              "Z0", "1", "10", "9", "~", "CAF", "caf"}) {
        names.push_back(std::filesystem::path(ascii).native());
    }
    for (const char16_t* other : {u"\u00c9mile", u"\u00e9mile", u"caf\u00c9", u"caf\u00e9",
                                  u"Caf\u00e8", u"\u00c0", u"\u00e0b"}) {
        // One unit a character: a char16_t each on Windows, a byte each (not UTF-8) elsewhere.
        Name name;
        for (const char16_t* c = other; *c != 0; ++c) {
            name += static_cast<Name::value_type>(*c);
        }
        names.push_back(name);
    }
    std::mt19937 shuffle(7);
    for (int round = 0; round < 10; ++round) {
        std::ranges::shuffle(names, shuffle);
        NameList list;
        for (const auto& name : names) {
            ASSERT_TRUE(list.add(name));
        }
        list.sortForDisplay(testFold);

        std::vector<Name> expected = names;
        std::ranges::sort(expected, [](const Name& x, const Name& y) {
            const auto fx = testFold(x);
            const auto fy = testFold(y);
            return fx != fy ? fx < fy : x < y;
        });
        std::vector<Name> sorted;
        for (std::size_t i = 0; i < list.size(); ++i) {
            sorted.emplace_back(list.view(i));
        }
        ASSERT_EQ(sorted, expected) << "round " << round;
    }
}

TEST(Label1Selection, HandsTheScanTheFolderAndTheSelectedEntry) {
    NameList names;
    for (const char* name : {"a.exe", "b.exe"}) {
        ASSERT_TRUE(names.add(std::filesystem::path(name).native()));
    }
    const std::filesystem::path folder = std::filesystem::current_path();
    const struct {
        std::int64_t listIndex;
        const char* name;
        std::int64_t index;
    } rows[] = {{-1, "", -1}, {0, "a.exe", 0}, {1, "b.exe", 1}, {2, "", -1}};
    for (const auto& row : rows) {
        const FileSelection selection = Label1Selection(folder, names, row.listIndex);
        EXPECT_EQ(selection.Path, folder);
        EXPECT_EQ(selection.FileName, row.name) << row.listIndex;
        EXPECT_EQ(selection.ListIndex, row.index) << row.listIndex;
    }
}

}  // namespace
}  // namespace trovik
