#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <chrono>
#include <fstream>

#include "FormFixture.h"
#include "window/DirListBox.h"
#include "window/DriveListBox.h"
#include "window/FileListBox.h"
#include "window/FormLabel.h"

namespace trovik {
namespace {

using Names = std::vector<std::string>;

// Two volumes, A and B, each a temporary folder; the program starts in A/work.
class Browsing : public test::FormFixture {
protected:
    std::filesystem::path a;
    std::filesystem::path b;

    void SetUp() override {
        a = disk / "A";
        b = disk / "B";
        disk.write("A/work/report.doc", "clean");
        disk.write("A/work/deeper/inner.exe", "clean");
        disk.write("A/top.txt", "clean");
        disk.write("B/other.bin", "clean");
        std::filesystem::create_directories(b / "stuff");
        volumes.volumes = {{a, "ALPHA"}, {b, ""}};
        makeForm(a / "work");
    }

    void chooseVolume(const std::filesystem::path& root) {
        for (int i = 0; i < form->Drive1->count(); ++i) {
            if (form->Drive1->itemText(i).startsWith(QString::fromStdString(root.native()))) {
                form->Drive1->setCurrentIndex(i);
                return;
            }
        }
        ADD_FAILURE() << "no volume " << root;
    }

    void expectChainAt(const std::filesystem::path& folder) {
        EXPECT_EQ(form->Dir1->Path(), folder);
        EXPECT_EQ(form->File1->Path(), folder);
        EXPECT_EQ(form->File1->ListIndex(), -1);
    }

    void clickScan() { clickAt(form->Label1->geometry().topLeft() + QPoint(10, 10)); }
};

TEST_F(Browsing, StartsOnTheWorkingFolderAndItsVolume) {
    expectChainAt(a / "work");
    EXPECT_EQ(form->Drive1->currentText().toStdString(), a.native() + " [ALPHA]");
    EXPECT_EQ(fileNames(), (Names{"report.doc"}));
    const Names rows = folderTexts();
    ASSERT_GE(rows.size(), 4U);
    EXPECT_EQ(rows.front(), "/");
    EXPECT_EQ((Names{rows.end() - 3, rows.end()}), (Names{"A", "work", "deeper"}));
    EXPECT_TRUE(form->Dir1->row(static_cast<int>(rows.size()) - 2).open);
    EXPECT_FALSE(form->Dir1->row(static_cast<int>(rows.size()) - 1).open);
    clickScan();
    EXPECT_EQ(messages.shown,
              (std::vector<test::Shown>{{"No file selected!", MessageIcon::Critical}}));
}

TEST_F(Browsing, EachVolumeKeepsItsOwnCurrentFolder) {
    chooseVolume(b);
    expectChainAt(b);  // the first visit starts at the root
    EXPECT_EQ(fileNames(), (Names{"other.bin"}));
    openFolder("stuff", Gesture::DoubleClick);
    expectChainAt(b / "stuff");

    chooseVolume(a);
    expectChainAt(a / "work");  // where the lists left this volume
    chooseVolume(b);
    expectChainAt(b / "stuff");

    // A current folder removed meanwhile: the volume is entered at its root.
    chooseVolume(a);
    std::filesystem::remove_all(b / "stuff");
    chooseVolume(b);
    expectChainAt(b);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Browsing, OpeningAFolderBringsTheFileListThereAndClearsTheSelection) {
    selectFile("report.doc");
    ASSERT_EQ(form->File1->ListIndex(), 0);
    ASSERT_EQ(form->File1->FileName(), "report.doc");

    openFolder("deeper");
    expectChainAt(a / "work" / "deeper");
    EXPECT_EQ(fileNames(), (Names{"inner.exe"}));
    EXPECT_EQ(form->File1->FileName(), "");
    clickScan();

    openFolder("A");  // an ancestor
    expectChainAt(a);
    EXPECT_EQ(fileNames(), (Names{"top.txt"}));
    EXPECT_EQ(folderTexts().back(), "work");
    EXPECT_EQ(messages.shown,
              (std::vector<test::Shown>{{"No file selected!", MessageIcon::Critical}}));
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
}

TEST_F(Browsing, AFileCreatedLaterShowsOnlyOnceThePathIsSetAgain) {
    disk.write("A/work/new.exe", "x");
    EXPECT_EQ(fileNames(), (Names{"report.doc"}));
    ASSERT_FALSE(form->File1->setPath(form->Dir1->Path()).has_value());
    EXPECT_EQ(fileNames(), (Names{"new.exe", "report.doc"}));
}

TEST_F(Browsing, FolderThatVanishesBeforeItIsOpenedLeavesTheListsWhereTheyWere) {
    const Names before = folderTexts();
    selectFile("report.doc");
    std::filesystem::remove_all(a / "work" / "deeper");

    openFolder("deeper");
    EXPECT_EQ(messages.shown,
              (std::vector<test::Shown>{{(a / "work" / "deeper").native() +
                                             " could not be opened!\r\rNo such file or directory",
                                         MessageIcon::Critical}}));
    EXPECT_EQ(form->Dir1->Path(), a / "work");
    EXPECT_EQ(form->File1->Path(), a / "work");
    EXPECT_EQ(folderTexts(), before);
    EXPECT_EQ(form->File1->FileName(), "report.doc");  // nothing was re-read
}

TEST_F(Browsing, VolumeThatIsGoneTakesTheDriveListBack) {
    std::filesystem::remove_all(b);
    chooseVolume(b);
    EXPECT_EQ(messages.shown,
              (std::vector<test::Shown>{
                  {b.native() + " could not be opened!\r\rNo such file or directory",
                   MessageIcon::Critical}}));
    expectChainAt(a / "work");
    EXPECT_EQ(form->Drive1->currentText().toStdString(), a.native() + " [ALPHA]");
}

TEST_F(Browsing, FolderThatVanishesBetweenTheTwoListsPutsTheFolderListBack) {
    // The folder list has moved on but the folder goes before the file list reads it.
    ASSERT_FALSE(form->Dir1->restorePath(a / "work" / "deeper").has_value());
    std::filesystem::remove_all(a / "work" / "deeper");
    form->Dir1_Change();
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_EQ(messages.shown[0].text, (a / "work" / "deeper").native() +
                                          " could not be opened!\r\rNo such file or directory");
    EXPECT_EQ(form->Dir1->Path(), a / "work");
    EXPECT_EQ(form->File1->Path(), a / "work");
    EXPECT_EQ(form->Drive1->currentText().toStdString(), a.native() + " [ALPHA]");
}

TEST_F(Browsing, ANameThatIsNotUtf8IsKeptByteForByte) {
    const std::string name = "caf\xe9.exe";
    disk.write(a / "work" / name, "x");
    ASSERT_FALSE(form->File1->setPath(a / "work").has_value());
    EXPECT_EQ(fileNames(), (Names{name, "report.doc"}));
    selectFile(name);
    EXPECT_EQ(form->File1->FileName().native(), name);
    EXPECT_TRUE(form->File1->entry(0).text.startsWith(QStringLiteral("caf")));
    // Decoding the name and encoding it again would give other bytes, and a file not found.
    clickScan();
    EXPECT_EQ(messages.shown,
              (std::vector<test::Shown>{{name + " is CLEAN!", MessageIcon::Information}}));
}

TEST_F(Browsing, AWorkingFolderThatCannotBeListedStartsTheListsAtItsVolume) {
    makeForm(a / "no-such-folder");
    expectChainAt(a);
    EXPECT_EQ(form->Drive1->currentText().toStdString(), a.native() + " [ALPHA]");
    EXPECT_TRUE(messages.shown.empty());
}

// A folder of 100,000 files is listed in well under two seconds and stays one model, not 100,000
// widgets. The bound is loose: it catches a return to a per-item or per-file-stat listing. It
// holds for optimised builds only; sanitizers and unoptimised code are many times slower.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
constexpr bool TimeIsBounded = true;
#else
constexpr bool TimeIsBounded = false;
#endif

TEST_F(Browsing, AHundredThousandFilesListQuickly) {
    const auto folder = disk / "many";
    std::filesystem::create_directories(folder);
    constexpr int count = 100'000;
    for (int i = 0; i < count; ++i) {
        std::ofstream(folder / ("file" + std::to_string(i) + ".dat"));
    }
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QElapsedTimer timer;
    timer.start();
    ASSERT_FALSE(form->File1->setPath(folder).has_value());
    form->File1->scrollToBottom();
    QCoreApplication::processEvents();
    const auto elapsed = timer.elapsed();
    RecordProperty("list_100000_ms", static_cast<int>(elapsed));
    std::cout << "listing " << count << " files took " << elapsed << " ms\n";
    EXPECT_EQ(form->File1->count(), count);
    if (TimeIsBounded) {
        EXPECT_LT(elapsed, 2000);
    }
    selectFile("file99999.dat");
    EXPECT_EQ(form->File1->FileName(), "file99999.dat");
}

}  // namespace
}  // namespace trovik
