// The Qt lists as the browser's view: they show its chain, and the user's gestures reach it. What
// the chain does with them, a folder or a drive that fails included, is the window core's, and
// tested there.
#include <gtest/gtest.h>

#include "FormFixture.h"

namespace trovik::test {
namespace {

using Browsing = FormFixture;

TEST_F(Browsing, TheListsShowTheBrowsersChainAndTheUsersGesturesReachIt) {
    expectChainAt(a / "work");
    EXPECT_EQ(form->Drive1->currentText().toStdString(), a.native() + " [ALPHA]");
    EXPECT_EQ(fileNames(), (Names{"pws.exe", "report.doc"}));
    const Names rows = folderTexts();
    ASSERT_GE(rows.size(), 4U);
    EXPECT_EQ(rows.front(), "/");
    EXPECT_EQ((Names{rows.end() - 3, rows.end()}), (Names{"A", "work", "deeper"}));
    EXPECT_EQ(form->Dir1->currentIndex().data().toString().toStdString(), "work");

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
}

// The Qt listing: dot-names are hidden, and the list is sorted by Qt's case folding (the folder
// list is sorted by the same listing).
TEST_F(Browsing, TheFileListShowsVisibleFilesSortedWithoutRegardToCase) {
    for (const char* name : {"b.txt", "A.txt", "c.TXT", ".hidden", "a.txt"}) {
        disk.write(disk / "mixed" / name, "x");
    }
    makeForm(disk / "mixed");
    EXPECT_EQ(fileNames(), (Names{"A.txt", "a.txt", "b.txt", "c.TXT"}));
}

}  // namespace
}  // namespace trovik::test
