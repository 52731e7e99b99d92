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
    EXPECT_EQ(scan(), NoFileSelected);
    openFolder("A", true);  // an ancestor
    expectChainAt(a);
    EXPECT_EQ(folderTexts().back(), "work");

    // Only a double click or Enter opens a folder: not what a style makes of a single click.
    emit form->Dir1->activated(form->Dir1->model()->index(rowOf(folderTexts(), "work"), 0));
    expectChainAt(a);
}

// Each volume keeps its current folder; one removed meanwhile is entered at the volume's root. A
// start folder that cannot be listed starts the lists at its volume's root, or at the system's
// root when the volume itself is gone.
TEST_F(Browsing, EachVolumeKeepsItsOwnCurrentFolderAndFallsBackToItsRoot) {
    form->Drive1->setCurrentIndex(BRow);
    expectChainAt(b);  // the first visit starts at the root
    openFolder("stuff", true);
    form->Drive1->setCurrentIndex(ARow);
    expectChainAt(a / "work");
    form->Drive1->setCurrentIndex(BRow);
    expectChainAt(b / "stuff");
    form->Drive1->setCurrentIndex(ARow);
    std::filesystem::remove_all(b / "stuff");
    form->Drive1->setCurrentIndex(BRow);
    expectChainAt(b);

    makeForm(a / "no-such-folder");
    expectChainAt(a);
    volumes.volumes = {{disk / "unmounted", "USB"}};
    makeForm(disk / "unmounted" / "docs");
    EXPECT_EQ(form->Dir1->Path(), "/");
    EXPECT_EQ(form->File1->Path(), "/");
    EXPECT_EQ(form->Drive1->currentText(), QStringLiteral("/"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Browsing, ListsShowVisibleEntriesOfTheirKindSortedWithoutRegardToCase) {
    const auto folder = disk / "mixed";
    for (const std::string name :
         {"b.txt", "A.txt", "c.TXT", ".hidden", "a.txt", "Zeta/", "alpha/", ".git/", "Beta/"}) {
        disk.write(folder / (name.ends_with('/') ? name + ".keep" : name), "x");  // "/": a folder
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

}  // namespace
}  // namespace trovik::test
