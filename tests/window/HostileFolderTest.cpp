// The window over folders that change under it: gone, locked, unmounted, huge, or with names that
// are not text. Whatever happens, the lists stay usable, say what went wrong, and scan the file
// the user chose.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <random>

#include "FormFixture.h"
#include "window/DirListBox.h"
#include "window/DriveListBox.h"
#include "window/FileListBox.h"
#include "window/FormLabel.h"
#include "window/ListedName.h"

namespace trovik {
namespace {

using Names = std::vector<std::string>;
using test::Shown;

const std::string Signature = "cHaNgE yOuR pAsSwOrD";

std::string openFailure(const std::filesystem::path& folder, const std::string& reason) {
    return folder.native() + " could not be opened!\r\r" + reason;
}

// Volumes A and B; the program starts in A/work.
class HostileFolder : public test::FormFixture {
protected:
    std::filesystem::path a;
    std::filesystem::path b;

    void SetUp() override {
        a = disk / "A";
        b = disk / "B";
        disk.write("A/work/report.doc", "clean");
        disk.write("A/work/pws.exe", test::filler(1000, Signature, 10));
        disk.write("A/work/deeper/inner.exe", "clean");
        disk.write("A/top.exe", test::filler(1000, Signature, 500));
        disk.write("B/stuff/other.bin", "clean");
        volumes.volumes = {{a, "ALPHA"}, {b, ""}};
        makeForm(a / "work");
    }

    void clickScan() {
        const QPoint caption = form->Label1->geometry().topLeft() + QPoint(10, 10);
        QTest::mouseClick(form->Label1, Qt::LeftButton, {},
                          form->Label1->mapFrom(form.get(), caption));
    }

    // Selects `row` of the file list with a click, and scans it.
    Shown scanRow(int row) {
        const QModelIndex index = form->File1->model()->index(row, 0);
        form->File1->scrollTo(index);
        QTest::mouseClick(form->File1->viewport(), Qt::LeftButton, {},
                          form->File1->visualRect(index).center());
        return scanSelected();
    }

    Shown scanSelected() {
        messages.shown.clear();
        clickScan();
        return messages.shown.size() == 1 ? messages.shown.front() : Shown{"no single box", {}};
    }

    Shown scanFile(const std::string& name) {
        selectFile(name);
        return scanSelected();
    }

    // The drive list's rows: the root first (the volume service did not offer it), then A and B.
    static constexpr int RootRow = 0;
    static constexpr int ARow = 1;
    static constexpr int BRow = 2;
    void chooseVolume(int row) { form->Drive1->setCurrentIndex(row); }

    void expectChainAt(const std::filesystem::path& folder) {
        EXPECT_EQ(form->Dir1->Path(), folder);
        EXPECT_EQ(form->File1->Path(), folder);
        EXPECT_EQ(form->Drive1->currentIndex(),
                  folder.native().starts_with(b.native()) ? BRow : ARow);
    }
};

TEST_F(HostileFolder, AFolderThatVanishesWhileShownLeavesTheWindowUsable) {
    selectFile("pws.exe");
    std::filesystem::remove_all(a / "work");

    // The list still shows the names; scanning one says it is gone and never calls it clean.
    EXPECT_EQ(scanSelected(), (Shown{"pws.exe could not be scanned!\r\rNo such file or directory",
                                     MessageIcon::Critical}));
    messages.shown.clear();
    openFolder("deeper");  // listed, but gone with its parent
    EXPECT_EQ(messages.shown,
              (std::vector<Shown>{{openFailure(a / "work" / "deeper", "No such file or directory"),
                                   MessageIcon::Critical}}));
    expectChainAt(a / "work");

    // The ancestors still open, and what is there is scanned.
    openFolder("A");
    expectChainAt(a);
    EXPECT_EQ(fileNames(), (Names{"top.exe"}));
    EXPECT_EQ(scanFile("top.exe"),
              (Shown{"top.exe is a PASSWORD STEALER!", MessageIcon::Critical}));

    // The other volume, and back to where the lists left A.
    chooseVolume(BRow);
    expectChainAt(b);
    chooseVolume(ARow);
    expectChainAt(a);
}

TEST_F(HostileFolder, AVolumeThatGoesAwayWhileShownLeavesTheOtherVolumesUsable) {
    chooseVolume(BRow);
    openFolder("stuff");
    expectChainAt(b / "stuff");
    selectFile("other.bin");
    std::filesystem::remove_all(b);  // unmounted, its mount point taken away

    EXPECT_EQ(scanSelected(), (Shown{"other.bin could not be scanned!\r\rNo such file or directory",
                                     MessageIcon::Critical}));
    chooseVolume(ARow);
    expectChainAt(a / "work");
    EXPECT_EQ(scanFile("pws.exe"),
              (Shown{"pws.exe is a PASSWORD STEALER!", MessageIcon::Critical}));

    // Choosing it again: neither its current folder nor its root opens; the lists stay on A.
    messages.shown.clear();
    chooseVolume(BRow);
    EXPECT_EQ(messages.shown,
              (std::vector<Shown>{
                  {openFailure(b / "stuff", "No such file or directory"), MessageIcon::Critical}}));
    expectChainAt(a / "work");
}

TEST_F(HostileFolder, AVolumeListedButNeverThereStartsTheListsOnTheRoot) {
    // The volume service offered a volume that is gone before the window reads it.
    volumes.volumes = {{disk / "unmounted", "USB"}};
    makeForm(disk / "unmounted" / "docs");
    EXPECT_EQ(form->Dir1->Path(), std::filesystem::path("/"));
    EXPECT_EQ(form->File1->Path(), std::filesystem::path("/"));
    EXPECT_EQ(form->Drive1->currentText(), QStringLiteral("/"));
    EXPECT_TRUE(messages.shown.empty());

    chooseVolume(1);  // the root is row 0
    EXPECT_EQ(
        messages.shown,
        (std::vector<Shown>{{openFailure(disk / "unmounted" / "docs", "No such file or directory"),
                             MessageIcon::Critical}}));
    EXPECT_EQ(form->Drive1->currentIndex(), RootRow);
    EXPECT_EQ(form->Dir1->Path(), std::filesystem::path("/"));
}

// Runs the rest of a scope with the rights of an ordinary user, where the test runs as root (whose
// rights pass every permission check); restores root at the end of the scope.
class AsOrdinaryUser {
public:
    AsOrdinaryUser() {
        if (::geteuid() == 0) {
            m_wasRoot = true;
            m_ok = ::setegid(65534) == 0 && ::seteuid(65534) == 0;  // nobody, nogroup
        }
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;
    ~AsOrdinaryUser() {
        if (m_wasRoot) {
            EXPECT_EQ(::seteuid(0), 0);
            EXPECT_EQ(::setegid(0), 0);
        }
    }
    [[nodiscard]] bool ok() const { return m_ok; }

private:
    bool m_wasRoot = false;
    bool m_ok = true;
};

struct PermissionCase {
    const char* what;
    const char* locked;  // under A/work, "" for A/work itself
    std::filesystem::perms mode;
    const char* action;  // "open deeper", or "scan <file>"
    Shown expected;
};

TEST_F(HostileFolder, PermissionsTakenAwayBetweenListingAndOpeningAreReported) {
    using enum std::filesystem::perms;
    constexpr auto AllExec = owner_exec | group_exec | others_exec;
    constexpr auto AllRead = owner_read | group_read | others_read;
    const auto work = a / "work";
    const PermissionCase cases[] = {
        {"a listed folder locked",
         "deeper",
         std::filesystem::perms::none,
         "open deeper",
         {openFailure(work / "deeper", "Permission denied"), MessageIcon::Critical}},
        {"a listed folder made unreadable",
         "deeper",
         AllExec,
         "open deeper",
         {openFailure(work / "deeper", "Permission denied"), MessageIcon::Critical}},
        {"a listed file locked",
         "pws.exe",
         std::filesystem::perms::none,
         "scan pws.exe",
         {"pws.exe could not be scanned!\r\rPermission denied", MessageIcon::Critical}},
        {"the shown folder locked",
         "",
         AllRead,
         "scan pws.exe",
         {"pws.exe could not be scanned!\r\rPermission denied", MessageIcon::Critical}},
    };
    // Everything made by root above may be entered and read by others.
    std::filesystem::permissions(disk.path(), owner_all | AllExec);
    for (const PermissionCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::path locked = c.locked[0] == '\0' ? work : work / c.locked;
        const auto before = std::filesystem::status(locked).permissions();
        makeForm(work);
        messages.shown.clear();
        {
            AsOrdinaryUser user;
            if (!user.ok()) {
                GTEST_SKIP() << "running as root, and cannot take the rights of user nobody "
                                "(seteuid failed): root passes every permission check";
            }
            ASSERT_EQ(fileNames(), (Names{"pws.exe", "report.doc"}));
            // Taken away after the lists were read. Root's rights are needed to change them on
            // files root made; an ordinary user owns its own files.
            {
                const bool asRoot = ::getuid() == 0;
                if (asRoot) {
                    ASSERT_EQ(::seteuid(0), 0);
                }
                std::filesystem::permissions(locked, c.mode);
                if (asRoot) {
                    ASSERT_EQ(::seteuid(65534), 0);
                }
            }
            const std::string action = c.action;
            if (action.starts_with("open ")) {
                openFolder(action.substr(5));
                EXPECT_EQ(messages.shown, (std::vector<Shown>{c.expected}));
                expectChainAt(work);
            } else {
                EXPECT_EQ(scanFile(action.substr(5)), c.expected);
            }
            // The window goes on: up to A, and a scan there.
            openFolder("A");
            expectChainAt(a);
            EXPECT_EQ(scanFile("top.exe"),
                      (Shown{"top.exe is a PASSWORD STEALER!", MessageIcon::Critical}));
        }
        std::filesystem::permissions(locked, before);
    }
}

TEST_F(HostileFolder, NamesThatAreNotTextShowAndScanTheirOwnFile) {
    // Each pair shows the same text (bytes that do not decode show as one replacement
    // character), but only the first holds a signature: a name rebuilt from its text would scan
    // the wrong file or none.
    const auto folder = disk / "names";
    const std::string pairs[][2] = {
        {"caf\xe9.exe", "caf\xe8.exe"},                  // Latin-1
        {"trunc\xc3.exe", "trunc\xc4.exe"},              // a two-byte sequence cut short
        {"over\xc0\xaf.exe", "over\xc1\xbf.exe"},        // overlong forms of '/' and '?'
        {"sur\xed\xa0\x80.exe", "sur\xed\xbf\xbf.exe"},  // encoded surrogates
    };
    for (const auto& pair : pairs) {
        disk.write(folder / pair[0], test::filler(100, Signature, 3));
        disk.write(folder / pair[1], "clean");
    }
    disk.write(folder / "na\xc3\xafve.exe", "clean");  // valid UTF-8 shows as itself
    const std::string subfolder = "dir\xff";
    disk.write(folder / subfolder / "inside.exe", test::filler(100, Signature, 0));
    ASSERT_FALSE(form->Dir1->setPath(folder).has_value());
    ASSERT_EQ(form->File1->count(), 9);

    for (int row = 0; row < form->File1->count(); ++row) {
        const ListedName entry = form->File1->entry(row);
        const std::string name = entry.name.native();
        SCOPED_TRACE(testing::PrintToString(name));
        // The text is what the system's decoding gives for the bytes, and the bytes stay.
        EXPECT_EQ(entry.text, QFile::decodeName(QByteArray::fromStdString(name)));
        EXPECT_EQ(form->File1->model()->index(row, 0).data().toString(), entry.text);
        const bool planted =
            std::ranges::any_of(pairs, [&](const auto& pair) { return pair[0] == name; });
        const Shown expected = planted
                                   ? Shown{name + " is a PASSWORD STEALER!", MessageIcon::Critical}
                                   : Shown{name + " is CLEAN!", MessageIcon::Information};
        EXPECT_EQ(scanRow(row), expected);
        EXPECT_EQ(form->File1->FileName().native(), name);
    }
    EXPECT_EQ(form->File1->entry(2).text, QStringLiteral("na\u00efve.exe"));

    // A folder with such a name opens by its bytes too.
    int row = form->Dir1->count() - 1;
    ASSERT_EQ(form->Dir1->row(row).path, folder / subfolder);
    form->Dir1->setCurrentIndex(form->Dir1->model()->index(row, 0));
    QTest::keyClick(form->Dir1, Qt::Key_Return);
    EXPECT_EQ(form->File1->Path(), folder / subfolder);
    EXPECT_EQ(scanRow(0), (Shown{"inside.exe is a PASSWORD STEALER!", MessageIcon::Critical}));
}

// Timing and memory bounds hold for optimised builds only; sanitizers change both many times.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
constexpr bool CostIsBounded = true;
#else
constexpr bool CostIsBounded = false;
#endif

long residentKiB() {
    ::malloc_trim(0);
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmRSS:")) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

class PaintCount final : public QObject {
public:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int count = 0;
};

// `count` empty files in `folder`, named file0000000.dat and on. Most are further links to a few
// empty files: making a name is then about four times cheaper than making a file, and the
// folder lists the same.
void makeEmptyFiles(const std::filesystem::path& folder, int count) {
    std::filesystem::create_directories(folder);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dir, 0);
    char source[32] = "";
    char name[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "file%07d.dat", i);
        if (source[0] != '\0' && ::linkat(dir, source, dir, name, 0) == 0) {
            continue;
        }
        ASSERT_TRUE(source[0] == '\0' || errno == EMLINK) << name << ": " << std::strerror(errno);
        // The first name, or the last file has as many links as the system allows.
        const int file = ::openat(dir, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ASSERT_GE(file, 0) << name << ": " << std::strerror(errno);
        ::close(file);
        std::memcpy(source, name, sizeof name);
    }
    ::close(dir);
}

TEST_F(HostileFolder, AMillionFilesListAndTheLastIsSelectedAndScanned) {
    const auto folder = disk / "million";
    constexpr int count = 1'000'000;
    QElapsedTimer timer;
    timer.start();
    makeEmptyFiles(folder, count - 1);
    disk.write(folder / "zz-last.exe", test::filler(1000, Signature, 900));
    const auto made = timer.restart();

    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const long before = residentKiB();
    // While the folder is read the window is still painted.
    PaintCount paints;
    form->installEventFilter(&paints);
    QTimer ticks;
    int ticked = 0;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        ++ticked;
        form->update();
    });
    ticks.start(20);
    timer.restart();
    ASSERT_FALSE(form->Dir1->setPath(folder).has_value());  // both lists, as a user's open does
    const auto listed = timer.restart();
    ticks.stop();
    form->removeEventFilter(&paints);
    QCoreApplication::processEvents();
    if (listed > 500) {
        EXPECT_GT(ticked, 0);
        EXPECT_GT(paints.count, 0);
    }
    std::cout << "the window was painted " << paints.count << " times while the folder was read\n";
    const long growth = residentKiB() - before;
    std::cout << "made " << count << " files in " << made << " ms; listed and shown in " << listed
              << " ms, the memory grew by " << growth << " KiB for " << 15 * count / 1024
              << " KiB of names\n";
    RecordProperty("list_1000000_ms", static_cast<int>(listed));
    ASSERT_EQ(form->File1->count(), count);
    if (CostIsBounded) {
        EXPECT_LT(listed, 10'000);
        // A text and a path per name took about nine times the names' bytes.
        EXPECT_LT(growth, 3 * 15 * count / 1024);
    }

    // The last entry by the keyboard, and by a click once scrolled there; either way it scans.
    form->File1->setFocus();
    QTest::keyClick(form->File1, Qt::Key_End);
    EXPECT_EQ(form->File1->ListIndex(), count - 1);
    EXPECT_EQ(form->File1->FileName(), "zz-last.exe");
    EXPECT_EQ(scanSelected(), (Shown{"zz-last.exe is a PASSWORD STEALER!", MessageIcon::Critical}));
    QTest::keyClick(form->File1, Qt::Key_Home);
    EXPECT_EQ(scanRow(count - 1),
              (Shown{"zz-last.exe is a PASSWORD STEALER!", MessageIcon::Critical}));
    EXPECT_EQ(scanRow(count - 2), (Shown{"file0999998.dat is CLEAN!", MessageIcon::Information}));
    const auto used = timer.restart();

    // Leaving it gives the memory back.
    openFolder(disk.path().filename().native());
    EXPECT_EQ(form->File1->count(), 0);
    std::filesystem::remove_all(folder);
    std::cout << "selected and scanned in " << used << " ms, removed in " << timer.elapsed()
              << " ms\n";
}

// The list's order is that of the names' case-folded texts, whatever mix of plain ASCII, ASCII
// with capitals and other names a folder holds; the same order as a plain sort of the texts.
TEST(NameList, SortsLikeTheFoldedTexts) {
    std::vector<std::string> names = {"Zeta",
                                      "zeta",
                                      "[x",
                                      "_y",
                                      "a",
                                      "A",
                                      "ab",
                                      "aB",
                                      "\xc3\x89mile",
                                      "emile",
                                      "\xc3\xa9mile",
                                      "caf\xe9",
                                      "caf\xe8",
                                      "CAF",
                                      "~",
                                      "\xef\xbf\xbd",
                                      "\xf0\x9f\x98\x80",
                                      "Z",
                                      "z0",
                                      "Z0",
                                      "\xc3\x9f",
                                      "ss",
                                      "SS",
                                      "straSSe",
                                      "stra\xc3\x9f"
                                      "e",
                                      "1",
                                      "10",
                                      "9"};
    std::mt19937 shuffle(7);
    for (int round = 0; round < 20; ++round) {
        std::ranges::shuffle(names, shuffle);
        NameList list;
        for (const auto& name : names) {
            ASSERT_TRUE(list.add(name));
        }
        list.sortForDisplay();

        std::vector<std::string> expected = names;
        std::ranges::sort(expected, [](const std::string& a, const std::string& b) {
            const QString x = QFile::decodeName(QByteArray::fromStdString(a)).toCaseFolded();
            const QString y = QFile::decodeName(QByteArray::fromStdString(b)).toCaseFolded();
            const int order = QString::compare(x, y, Qt::CaseSensitive);
            return order != 0 ? order < 0 : a < b;
        });
        std::vector<std::string> sorted;
        for (std::size_t i = 0; i < list.size(); ++i) {
            sorted.push_back(list.name(i).native());
            EXPECT_EQ(list.text(i), QFile::decodeName(QByteArray::fromStdString(sorted.back())));
        }
        ASSERT_EQ(sorted, expected) << "round " << round;
    }
}

}  // namespace
}  // namespace trovik
#endif
