#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <algorithm>
#include <random>
#include <sstream>

#include "FormFixture.h"
#include "window/qt/ListedName.h"

namespace trovik::test {
namespace {

using Browsing = FormFixture;

const Shown NoFileSelected{"No file selected!", MessageIcon::Critical};

TEST_F(Browsing, StartsOnTheWorkingFolderAndItsVolume) {
    expectChainAt(a / "work");
    EXPECT_EQ(form->File1->ListIndex(), -1);
    EXPECT_EQ(form->Drive1->currentText().toStdString(), a.native() + " [ALPHA]");
    EXPECT_EQ(fileNames(), (Names{"pws.exe", "report.doc"}));
    const Names rows = folderTexts();
    ASSERT_GE(rows.size(), 4U);
    EXPECT_EQ(rows.front(), "/");
    EXPECT_EQ((Names{rows.end() - 3, rows.end()}), (Names{"A", "work", "deeper"}));
    EXPECT_TRUE(form->Dir1->row(static_cast<int>(rows.size()) - 2).open);
    EXPECT_FALSE(form->Dir1->row(static_cast<int>(rows.size()) - 1).open);
    EXPECT_EQ(scan(), NoFileSelected);
}

TEST_F(Browsing, EachVolumeKeepsItsOwnCurrentFolder) {
    chooseVolume(BRow);
    expectChainAt(b);  // the first visit starts at the root
    EXPECT_EQ(fileNames(), (Names{"b.bin"}));
    openFolder("stuff", Gesture::DoubleClick);
    expectChainAt(b / "stuff");

    chooseVolume(ARow);
    expectChainAt(a / "work");  // where the lists left this volume
    chooseVolume(BRow);
    expectChainAt(b / "stuff");

    // A current folder removed meanwhile: the volume is entered at its root.
    chooseVolume(ARow);
    std::filesystem::remove_all(b / "stuff");
    chooseVolume(BRow);
    expectChainAt(b);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Browsing, OpeningAFolderBringsTheFileListThereAndClearsTheSelection) {
    selectFile("report.doc");
    ASSERT_EQ(form->File1->ListIndex(), 1);
    ASSERT_EQ(form->File1->FileName(), "report.doc");

    openFolder("deeper");
    expectChainAt(a / "work" / "deeper");
    EXPECT_EQ(fileNames(), (Names{"inner.exe"}));
    EXPECT_EQ(form->File1->ListIndex(), -1);
    EXPECT_EQ(form->File1->FileName(), "");
    EXPECT_EQ(scan(), NoFileSelected);

    openFolder("A");  // an ancestor
    expectChainAt(a);
    EXPECT_EQ(fileNames(), (Names{"top.exe"}));
    EXPECT_EQ(folderTexts().back(), "work");
}

TEST_F(Browsing, ListsShowVisibleEntriesSortedWithoutRegardToCase) {
    const auto folder = disk / "mixed";
    for (const char* name : {"b.txt", "A.txt", "c.TXT", ".hidden", "a.txt"}) {
        disk.write(folder / name, "x");
    }
    for (const char* name : {"Zeta", "alpha", ".git", "Beta"}) {
        std::filesystem::create_directories(folder / name);
    }
    std::filesystem::create_symlink(folder / "b.txt", folder / "link-to-b");
    std::filesystem::create_symlink(folder / "missing", folder / "dangling");
    std::filesystem::create_symlink(folder / "Zeta", folder / "link-to-zeta");

    ASSERT_FALSE(form->Dir1->setPath(folder).has_value());
    EXPECT_EQ(fileNames(), (Names{"A.txt", "a.txt", "b.txt", "c.TXT", "link-to-b"}));
    const Names rows = folderTexts();
    EXPECT_EQ((Names{rows.end() - 5, rows.end()}),
              (Names{"mixed", "alpha", "Beta", "link-to-zeta", "Zeta"}));
    const int last = form->Dir1->count() - 1;
    EXPECT_EQ(form->Dir1->row(last).level, form->Dir1->row(last - 4).level + 1);

    // A file made later shows once the path is set again.
    disk.write(folder / "d.txt", "x");
    EXPECT_EQ(form->File1->count(), 5);
    ASSERT_FALSE(form->File1->setPath(folder).has_value());
    EXPECT_EQ(form->File1->count(), 6);
}

// A start folder that cannot be listed: the lists start at its volume's root, or at the system's
// root when the volume itself is gone.
TEST_F(Browsing, AStartFolderThatCannotBeListedStartsAtItsVolumeOrTheRoot) {
    makeForm(a / "no-such-folder");
    expectChainAt(a);
    EXPECT_TRUE(messages.shown.empty());

    volumes.volumes = {{disk / "unmounted", "USB"}};
    makeForm(disk / "unmounted" / "docs");
    EXPECT_EQ(form->Dir1->Path(), std::filesystem::path("/"));
    EXPECT_EQ(form->File1->Path(), std::filesystem::path("/"));
    EXPECT_EQ(form->Drive1->currentText(), QStringLiteral("/"));
    EXPECT_TRUE(messages.shown.empty());
}

// The list's order is that of the names' case-folded texts, whatever mix of plain ASCII, ASCII
// with capitals and other names a folder holds; the same order as a plain sort of the texts.
TEST(NameList, SortsLikeTheFoldedTexts) {
    std::vector<std::string> names;
    std::istringstream words(
        "Zeta zeta [x _y a A ab aB \xc3\x89mile emile \xc3\xa9mile caf\xe9 caf\xe8 CAF ~ "
        "\xef\xbf\xbd \xf0\x9f\x98\x80 Z z0 Z0 \xc3\x9f ss SS straSSe stra\xc3\x9f"
        "e 1 10 9");
    for (std::string word; words >> word;) {
        names.push_back(word);
    }
    std::mt19937 shuffle(7);
    for (int round = 0; round < 20; ++round) {
        std::ranges::shuffle(names, shuffle);
        NameList list;
        for (const auto& name : names) {
            ASSERT_TRUE(list.add(name));
        }
        list.sortForDisplay(foldedText);

        std::vector<std::string> expected = names;
        std::ranges::sort(expected, [](const std::string& x, const std::string& y) {
            const int order = QString::compare(
                QFile::decodeName(QByteArray::fromStdString(x)).toCaseFolded(),
                QFile::decodeName(QByteArray::fromStdString(y)).toCaseFolded(), Qt::CaseSensitive);
            return order != 0 ? order < 0 : x < y;
        });
        std::vector<std::string> sorted;
        for (std::size_t i = 0; i < list.size(); ++i) {
            sorted.push_back(list.name(i).native());
            EXPECT_EQ(displayText(list.view(i)),
                      QFile::decodeName(QByteArray::fromStdString(sorted.back())));
        }
        ASSERT_EQ(sorted, expected) << "round " << round;
    }
}

}  // namespace
}  // namespace trovik::test
