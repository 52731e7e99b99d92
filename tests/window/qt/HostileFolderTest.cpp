// The window over folders that are huge, or with names that are not text: the lists show them and
// scan the chosen file.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <fstream>

#include "FormFixture.h"
#include "window/qt/ReadFolder.h"

namespace trovik::test {
namespace {

using HostileFolder = FormFixture;

// Names that are not text show as the system decodes them and scan their own file. Each pair
// shows the same text (bytes that do not decode show as replacement characters), but only one
// holds a signature: a name rebuilt from its text would scan the wrong file or none.
TEST_F(HostileFolder, NamesThatAreNotTextShowAndScanTheirOwnFile) {
    const auto folder = disk / "names";
    const struct {
        std::string name;
        bool planted;
    } files[] = {
        {"caf\xe8.exe", false},      {"caf\xe9.exe", true},  // Latin-1, in the order of their bytes
        {"na\xc3\xafve.exe", false},                         // valid UTF-8
        {"over\xc0\xaf.exe", true},  {"over\xc1\xbf.exe", false},  // overlong '/' and '?'
    };
    for (const auto& file : files) {
        disk.write(folder / file.name, file.planted ? filler(100, Signature, 3) : "clean");
    }
    disk.write(folder / "dir\xff" / "inside.exe", filler(100, Signature, 0));
    makeForm(folder);
    ASSERT_EQ(form->File1->count(), 5);
    for (int row = 0; row < 5; ++row) {
        const std::string& name = files[row].name;
        EXPECT_EQ(form->File1->entry(row).name, name);
        EXPECT_EQ(form->File1->entry(row).text, QFile::decodeName(QByteArray::fromStdString(name)));
        const Shown clean{name + " is CLEAN!", MessageIcon::Information};
        EXPECT_EQ(scanFile(name), files[row].planted ? stealer(name) : clean) << row;
    }
    EXPECT_EQ(form->File1->entry(2).text, QStringLiteral("na\u00efve.exe"));
    openFolder("dir\xef\xbf\xbd");  // a folder with such a name opens by its bytes too
    EXPECT_EQ(form->browser().filePath(), folder / "dir\xff");
    EXPECT_EQ(scanFile("inside.exe"), stealer("inside.exe"));
}

// A folder of more files than 16 bits count lists whole, and its last file is selected and
// scanned.
TEST_F(HostileFolder, AHundredThousandFilesListAndTheLastIsScanned) {
    constexpr int count = 100'000;
    disk.write("many/zz-last.exe", filler(1000, Signature, 900));
    for (int i = 0; i < count - 1; ++i) {
        ASSERT_TRUE(std::ofstream(disk / "many" / ("file" + std::to_string(i + count)))) << i;
    }
    makeForm(disk / "many");
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ASSERT_EQ(form->File1->count(), count);
    form->File1->setFocus();
    QTest::keyClick(form->File1, Qt::Key_End);
    EXPECT_EQ(form->File1->ListIndex(), count - 1);
    EXPECT_EQ(scan(), stealer("zz-last.exe"));

    // Read on a worker thread from the start, a folder is read while the window is painted, under
    // the busy pointer, and lists the same names: the reader stops when asked and goes on where it
    // stopped, losing no name and reading none twice. The paint timer runs before the loop that
    // waits for the names can see them, so it has fired at least once by then.
    int paintsWhileBusy = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        form->repaint();
        paintsWhileBusy += QGuiApplication::overrideCursor() != nullptr ? 1 : 0;
    });
    ticks.start(5);
    const auto names = readFolder(disk / "many", EntryKind::File, std::chrono::milliseconds(0));
    ticks.stop();
    ASSERT_TRUE(names);
    EXPECT_EQ(names.value().size(), static_cast<std::size_t>(count));
    EXPECT_GT(paintsWhileBusy, 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);  // the busy pointer is gone again
}

}  // namespace
}  // namespace trovik::test
