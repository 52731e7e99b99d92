// The window over folders that change under it: gone, unmounted, huge, or with names that are not
// text. Whatever happens, the lists stay usable, say what went wrong, and scan the chosen file.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <fstream>

#include "FormFixture.h"

namespace trovik::test {
namespace {

using HostileFolder = FormFixture;

const std::string Gone = "No such file or directory";

// Folders and a volume that go away while shown: the lists still show the names, scanning one
// says it is gone and never calls it clean, the lists stay where they were, and the rest works.
TEST_F(HostileFolder, FoldersAndVolumesThatVanishWhileShownLeaveTheWindowUsable) {
    const Names shownFolders = folderTexts();
    selectFile("pws.exe");
    std::filesystem::remove_all(a / "work");
    EXPECT_EQ(scan(), (Shown{"pws.exe could not be scanned!\r\r" + Gone, MessageIcon::Critical}));
    messages.shown.clear();
    openFolder("deeper");  // listed, but gone with its parent; nothing is re-read
    EXPECT_EQ(messages.shown, (Boxes{openFailure(a / "work" / "deeper", Gone)}));
    expectChainAt(a / "work");
    EXPECT_EQ(folderTexts(), shownFolders);
    EXPECT_EQ(form->File1->FileName(), "pws.exe");
    openFolder("A");  // the ancestors still open, and what is there is scanned
    EXPECT_EQ(scanFile("top.exe"), stealer("top.exe"));

    // The folder list has moved on, but the folder goes before the file list reads it.
    disk.write("A/later/x", "x");
    ASSERT_FALSE(form->Dir1->restorePath(a / "later").has_value());
    std::filesystem::remove_all(a / "later");
    messages.shown.clear();
    form->Dir1_Change();
    EXPECT_EQ(messages.shown, (Boxes{openFailure(a / "later", Gone)}));
    expectChainAt(a);

    // A volume unmounted, its mount point taken away: chosen again, neither its current folder
    // nor its root opens, and the lists stay on A.
    chooseVolume(BRow);
    openFolder("stuff");
    std::filesystem::remove_all(b);
    chooseVolume(ARow);
    messages.shown.clear();
    chooseVolume(BRow);
    EXPECT_EQ(messages.shown, (Boxes{openFailure(b / "stuff", Gone)}));
    expectChainAt(a);
}

TEST_F(HostileFolder, NamesThatAreNotTextShowAndScanTheirOwnFile) {
    // Each pair shows the same text (bytes that do not decode show as one replacement
    // character), but only the first holds a signature: a name rebuilt from its text would scan
    // the wrong file or none.
    const auto folder = disk / "names";
    const std::string pairs[][2] = {
        {"caf\xe9.exe", "caf\xe8.exe"},            // Latin-1
        {"over\xc0\xaf.exe", "over\xc1\xbf.exe"},  // overlong forms of '/' and '?'
    };
    for (const auto& pair : pairs) {
        disk.write(folder / pair[0], filler(100, Signature, 3));
        disk.write(folder / pair[1], "clean");
    }
    disk.write(folder / "na\xc3\xafve.exe", "clean");  // valid UTF-8 shows as itself
    disk.write(folder / "dir\xff" / "inside.exe", filler(100, Signature, 0));
    ASSERT_FALSE(form->Dir1->setPath(folder).has_value());
    ASSERT_EQ(form->File1->count(), 5);
    for (int row = 0; row < form->File1->count(); ++row) {
        const std::string name = form->File1->entry(row).name.native();
        SCOPED_TRACE(testing::PrintToString(name));
        EXPECT_EQ(form->File1->model()->index(row, 0).data().toString(),
                  QFile::decodeName(QByteArray::fromStdString(name)));
        const bool planted =
            std::ranges::any_of(pairs, [&](const auto& pair) { return pair[0] == name; });
        selectRow(row);
        const Shown clean{name + " is CLEAN!", MessageIcon::Information};
        EXPECT_EQ(scan(), planted ? stealer(name) : clean);
    }
    EXPECT_EQ(form->File1->entry(2).text, QStringLiteral("na\u00efve.exe"));
    openFolder("dir\xef\xbf\xbd");  // a folder with such a name opens by its bytes too
    EXPECT_EQ(form->File1->Path(), folder / "dir\xff");
    EXPECT_EQ(scanFile("inside.exe"), stealer("inside.exe"));
}

// A folder of more files than 16 bits count is read while the window is still painted (on a worker
// thread once reading takes more than a moment), and its last file is selected and scanned.
TEST_F(HostileFolder, AHundredThousandFilesListWhilePaintedAndTheLastIsScanned) {
    constexpr int count = 100'000;
    disk.write("many/zz-last.exe", filler(1000, Signature, 900));
    for (int i = 0; i < count - 1; ++i) {
        ASSERT_TRUE(std::ofstream(disk / "many" / ("file" + std::to_string(i + count)))) << i;
    }
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    int paints = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        form->repaint();
        ++paints;
    });
    ticks.start(5);
    QElapsedTimer timer;
    timer.start();
    ASSERT_FALSE(form->Dir1->setPath(disk / "many").has_value());  // both lists, as an open does
    const auto listed = timer.elapsed();
    ASSERT_EQ(form->File1->count(), count);
    EXPECT_TRUE(listed < 40 || paints > 0) << "not painted in " << listed << " ms";
    form->File1->setFocus();
    QTest::keyClick(form->File1, Qt::Key_End);
    EXPECT_EQ(form->File1->ListIndex(), count - 1);
    EXPECT_EQ(scan(), stealer("zz-last.exe"));
}

}  // namespace
}  // namespace trovik::test
