// The Qt lists as the browser's view: they show its chain, and the user's gestures reach it. What
// the chain does with them is the window core's, and tested there.
#include <gtest/gtest.h>

#include "FormFixture.h"

namespace trovik::test {
namespace {

using Browsing = FormFixture;

TEST_F(Browsing, TheListsShowTheBrowsersChainAndTheUsersGesturesReachIt) {
    const auto highlighted = [&] {
        return form->Dir1->currentIndex().data().toString().toStdString();
    };
    expectChainAt(a / "work");
    EXPECT_EQ(form->Drive1->currentText().toStdString(), a.native() + " [ALPHA]");
    EXPECT_EQ(fileNames(), (Names{"pws.exe", "report.doc"}));
    const Names rows = folderTexts();
    ASSERT_GE(rows.size(), 4U);
    EXPECT_EQ(rows.front(), "/");
    EXPECT_EQ((Names{rows.end() - 3, rows.end()}), (Names{"A", "work", "deeper"}));
    EXPECT_EQ(highlighted(), "work");

    selectFile("report.doc");  // a click
    EXPECT_EQ(form->browser().selection().FileName, "report.doc");
    openFolder("deeper");  // Enter
    expectChainAt(a / "work" / "deeper");
    EXPECT_EQ(fileNames(), (Names{"inner.exe"}));
    EXPECT_EQ(form->File1->ListIndex(), -1);
    openFolder("A", true);  // a double click
    expectChainAt(a);
    // Only a double click or Enter opens a folder: not what a style makes of a single click.
    emit form->Dir1->activated(form->Dir1->model()->index(rowOf(folderTexts(), "work"), 0));
    expectChainAt(a);

    form->Drive1->setCurrentIndex(BRow);
    expectChainAt(b);
    std::filesystem::remove_all(b / "stuff");
    openFolder("stuff");  // listed, gone since: the box, and the highlight back on B
    EXPECT_EQ(messages.shown.size(), 1U);
    expectChainAt(b);
    EXPECT_EQ(highlighted(), b.filename().native());
}

// The Qt listing: dot-names are hidden, and each list is sorted by Qt's case folding.
TEST_F(Browsing, ListsShowVisibleEntriesOfTheirKindSortedWithoutRegardToCase) {
    const auto folder = disk / "mixed";
    for (const std::string name :
         {"b.txt", "A.txt", "c.TXT", ".hidden", "a.txt", "Zeta/", "alpha/", ".git/", "Beta/"}) {
        disk.write(folder / (name.ends_with('/') ? name + ".keep" : name), "x");  // "/": a folder
    }
    makeForm(folder);
    EXPECT_EQ(fileNames(), (Names{"A.txt", "a.txt", "b.txt", "c.TXT"}));
    const Names rows = folderTexts();
    EXPECT_EQ((Names{rows.end() - 4, rows.end()}), (Names{"mixed", "alpha", "Beta", "Zeta"}));
}

}  // namespace
}  // namespace trovik::test
