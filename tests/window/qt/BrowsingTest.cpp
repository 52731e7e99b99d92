#include <gtest/gtest.h>

#include "FormFixture.h"

namespace trovik::test {
namespace {

using Browsing = FormFixture;

const Shown NoFileSelected{"No file selected!", MessageIcon::Critical};

TEST_F(Browsing, StartsOnTheWorkingFolderAndOpensFoldersClearingTheSelection) {
    expectChainAt(a / "work");
    EXPECT_EQ(form->Drive1->currentText().toStdString(), a.native() + " [ALPHA]");
    EXPECT_EQ(fileNames(), (Names{"pws.exe", "report.doc"}));
    const Names rows = folderTexts();
    ASSERT_GE(rows.size(), 4U);
    EXPECT_EQ(rows.front(), "/");
    EXPECT_EQ((Names{rows.end() - 3, rows.end()}), (Names{"A", "work", "deeper"}));
    EXPECT_TRUE(form->Dir1->row(static_cast<int>(rows.size()) - 2).open);
    EXPECT_FALSE(form->Dir1->row(static_cast<int>(rows.size()) - 1).open);
    EXPECT_EQ(scan(), NoFileSelected);

    selectFile("report.doc");
    ASSERT_EQ(form->File1->ListIndex(), 1);
    openFolder("deeper");
    expectChainAt(a / "work" / "deeper");
    EXPECT_EQ(fileNames(), (Names{"inner.exe"}));
    EXPECT_EQ(form->File1->ListIndex(), -1);
    EXPECT_EQ(scan(), NoFileSelected);
    openFolder("A", true);  // an ancestor
    expectChainAt(a);
    EXPECT_EQ(fileNames(), (Names{"top.exe"}));
    EXPECT_EQ(folderTexts().back(), "work");
}

TEST_F(Browsing, EachVolumeKeepsItsOwnCurrentFolder) {
    chooseVolume(BRow);
    expectChainAt(b);  // the first visit starts at the root
    openFolder("stuff", true);
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

TEST_F(Browsing, ListsShowVisibleEntriesOfTheirKindSortedWithoutRegardToCase) {
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
    EXPECT_EQ(form->Dir1->row(form->Dir1->count() - 1).level,
              form->Dir1->row(form->Dir1->count() - 5).level + 1);
}

// A start folder that cannot be listed: the lists start at its volume's root, or at the system's
// root when the volume itself is gone.
TEST_F(Browsing, AStartFolderThatCannotBeListedStartsAtItsVolumeOrTheRoot) {
    makeForm(a / "no-such-folder");
    expectChainAt(a);
    volumes.volumes = {{disk / "unmounted", "USB"}};
    makeForm(disk / "unmounted" / "docs");
    EXPECT_EQ(form->Dir1->Path(), std::filesystem::path("/"));
    EXPECT_EQ(form->File1->Path(), std::filesystem::path("/"));
    EXPECT_EQ(form->Drive1->currentText(), QStringLiteral("/"));
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace trovik::test
