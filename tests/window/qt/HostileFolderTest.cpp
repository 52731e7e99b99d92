// The window over folders read on a worker thread, or with names that are not text: the lists
// show them and scan the chosen file.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTest>
#include <QTimer>

#include "FormFixture.h"
#include "window/qt/ReadFolder.h"

namespace trovik::test {
namespace {

using HostileFolder = FormFixture;

// Names that are not text show as the system decodes them: bytes that do not decode as
// replacement characters, valid UTF-8 as its characters. (That such a name is scanned as its own
// bytes is the window core's test's: a list hands the browser the row chosen, not its text.)
TEST_F(HostileFolder, NamesThatAreNotTextShowAsTheSystemDecodesThem) {
    disk.write(disk / "names" / "caf\xe9.exe", "x");  // Latin-1
    disk.write(disk / "names" / "na\xc3\xafve.exe", "x");
    makeForm(disk / "names");
    ASSERT_EQ(form->File1->count(), 2);
    EXPECT_EQ(form->File1->entry(0).text, QStringLiteral("caf\ufffd.exe"));
    EXPECT_EQ(form->File1->entry(1).text, QStringLiteral("na\u00efve.exe"));
}

// A folder is read on a worker thread once its moment is over (here at once), while the window is
// painted, under the busy pointer, and lists the same names: the reader stops when asked and goes
// on where it stopped, losing no name and reading none twice. The paint timer runs before the
// loop that waits for the names can see them, so it has fired at least once by then. (That the
// browser hands over any of 100,000 names is the window core's.)
TEST_F(HostileFolder, AFolderReadOnAWorkerThreadIsWholeAndTheWindowPaintedMeanwhile) {
    constexpr int count = 1000;  // the reader asks whether to stop every 256 entries
    for (int i = 0; i < count; ++i) {
        disk.write("many/file" + std::to_string(i), "");
    }
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
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
