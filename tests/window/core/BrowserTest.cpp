// The browsing chain over a disk made up in memory: every scenario that both windows share, run
// once against the browser, with the window it shows through stood in for.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>
#include <string>

#include "support/RecordingMessageBox.h"
#include "window/core/Browser.h"

namespace trovik::test {
namespace {

namespace fs = std::filesystem;

// Folders under the system's root ("/", or the working folder's drive on Windows).
const fs::path Root = tidyFolder(fs::current_path()).root_path();
fs::path at(const char* relative) {
    return tidyFolder(Root / fs::path(relative).make_preferred());
}

// Folders and files by their paths. A folder missing, or refused, cannot be listed; one whose
// files are refused lists its subfolders only.
struct Disk final : FolderLister {
    std::set<fs::path> folders{Root};
    std::set<fs::path> files;
    std::set<fs::path> refused;
    std::set<fs::path> filesRefused;

    void folder(const fs::path& path) {
        for (fs::path step = path; folders.insert(step).second; step = step.parent_path()) {
        }
    }
    void file(const fs::path& path) {
        folder(path.parent_path());
        files.insert(path);
    }
    void remove(const fs::path& folder) {
        std::erase_if(folders, [&](const fs::path& p) { return isUnder(p, folder); });
        std::erase_if(files, [&](const fs::path& p) { return isUnder(p, folder); });
    }
    Result<NameList> list(const fs::path& folder, EntryKind kind) override {
        if (!folders.contains(folder)) {
            return std::make_error_code(std::errc::no_such_file_or_directory);
        }
        if (refused.contains(folder) ||
            (kind == EntryKind::File && filesRefused.contains(folder))) {
            return std::make_error_code(std::errc::permission_denied);
        }
        NameList names;
        for (const fs::path& path : kind == EntryKind::Folder ? folders : files) {
            if (path != folder && path.parent_path() == folder) {
                EXPECT_TRUE(names.add(path.filename().native()));
            }
        }
        return names;
    }
};

// What the window shows, as the browser told it.
struct Screen final : BrowserView {
    std::size_t drive = 99;
    std::vector<FolderRow> rows;
    std::size_t highlight = 0;
    std::size_t fileLists = 0;  // how often the file list was filled
    std::size_t fileCount = 0;
    std::int64_t selected = -1;

    void showDrive(std::size_t volume) override { drive = volume; }
    void showFolders(const std::vector<FolderRow>& shown, std::size_t current) override {
        rows = shown;
        highlight = current;
    }
    void markFolder(std::size_t current) override { highlight = current; }
    void showFiles(const NameList& names) override {
        ++fileLists;
        fileCount = names.size();
        selected = -1;
    }
    void showSelection(std::int64_t index) override { selected = index; }
};

constexpr std::size_t ARow = 1;  // the drive list: the root, then A and B
constexpr std::size_t BRow = 2;

struct Harness {
    Disk disk;
    RecordingMessageBox messages;
    Screen screen;
    std::optional<Browser> browser;

    Harness() {
        for (const char* file : {"a/work/pws.exe", "a/work/report.doc", "a/work/deeper/inner.exe",
                                 "a/top.exe", "b/b.bin", "b/stuff/other.bin"}) {
            disk.file(at(file));
        }
    }
    void start(const fs::path& working) {
        screen = Screen{};
        browser.emplace(std::vector<Volume>{{at("a"), "ALPHA"}, {at("b"), ""}}, working, disk,
                        messages);
        browser->start(screen);
    }
    void open(const fs::path& folder) {
        const auto& rows = browser->rows();
        const auto row = std::ranges::find(rows, folder, &FolderRow::folder);
        ASSERT_NE(row, rows.end()) << folder;
        screen.highlight = static_cast<std::size_t>(row - rows.begin());  // the user's highlight
        browser->openRow(screen.highlight);
    }
    // Selects the entry as the user does: on the screen, and the browser is told.
    void select(const char* name) {
        screen.selected = indexOfName(browser->fileNames(), name);
        browser->selectFile(screen.selected);
    }
};

Shown failed(const fs::path& folder, std::errc reason) {
    return {folderErrorText({folder, std::make_error_code(reason)}), MessageIcon::Critical};
}

struct Scenario {
    const char* what;
    std::function<void(Harness&)> act;  // after a start in a/work
    fs::path at;                        // where both lists are after it
    Boxes boxes;
    std::size_t fileLists;  // how often the file list was filled, the start's included
    std::int64_t selected;  // the file list's selection after it
};

// After each scenario the window shows what the browser holds: the same rows, the folder's own
// row highlighted, the drive of its folder, the file list's names.
TEST(Browser, EachScenarioEndsWithTheListsInStepAndTheWindowShowingThem) {
    using std::errc;
    const Scenario scenarios[] = {
        {"the start folder cannot be listed: its volume's root, quietly",
         [](Harness& h) {
             h.disk.refused.insert(at("a/work"));
             h.start(at("a/work"));
         },
         at("a"),
         {},
         1,
         -1},
        {"neither the start folder nor its volume can be listed: the root, quietly",
         [](Harness& h) {
             h.disk.remove(at("a"));
             h.start(at("a/work"));
         },
         Root,
         {},
         1,
         -1},
        {"a drive change to another volume, first visited at its root, clears the selection",
         [](Harness& h) {
             h.select("pws.exe");
             h.browser->Drive1_Change(BRow);
         },
         at("b"),
         {},
         2,
         -1},
        {"a drive change to the folder the lists are on raises no change below it",
         [](Harness& h) {
             h.select("pws.exe");
             h.browser->Drive1_Change(ARow);
         },
         at("a/work"),
         {},
         1,
         0},
        {"each volume keeps its folder, and one that has gone is entered at its root",
         [](Harness& h) {
             h.browser->Drive1_Change(BRow);
             h.open(at("b/stuff"));
             h.browser->Drive1_Change(ARow);
             EXPECT_EQ(h.browser->dirPath(), at("a/work"));
             h.browser->Drive1_Change(BRow);
             EXPECT_EQ(h.browser->dirPath(), at("b/stuff"));
             h.browser->Drive1_Change(ARow);
             h.disk.remove(at("b/stuff"));
             h.browser->Drive1_Change(BRow);
         },
         at("b"),
         {},
         7,
         -1},
        {"a volume that cannot be listed at all: its folder's box, the lists stay",
         [](Harness& h) {
             h.browser->Drive1_Change(BRow);
             h.open(at("b/stuff"));
             h.browser->Drive1_Change(ARow);
             h.disk.remove(at("b"));
             h.browser->Drive1_Change(BRow);
         },
         at("a/work"),
         {failed(at("b/stuff"), errc::no_such_file_or_directory)},
         4,
         -1},
        {"an opened folder that cannot be listed: its box, the lists and the selection stay",
         [](Harness& h) {
             h.select("report.doc");
             h.disk.refused.insert(at("a/work/deeper"));
             h.open(at("a/work/deeper"));
         },
         at("a/work"),
         {failed(at("a/work/deeper"), errc::permission_denied)},
         1,
         1},
        {"opening a subfolder clears the selection, and an ancestor opens too",
         [](Harness& h) {
             h.select("pws.exe");
             h.open(at("a/work/deeper"));
             EXPECT_EQ(h.browser->selection().ListIndex, -1);
             h.open(at("a"));
         },
         at("a"),
         {},
         3,
         -1},
        {"a folder whose files cannot be read: the folder list goes back to the file list's",
         [](Harness& h) {
             h.disk.filesRefused.insert(at("a/work/deeper"));
             h.open(at("a/work/deeper"));
         },
         at("a/work"),
         {failed(at("a/work/deeper"), errc::permission_denied)},
         1,
         -1},
        {"a file dropped elsewhere moves the lists to it, selected",
         [](Harness& h) {
             const auto dropped = h.browser->openFile(startFile(at("b/stuff/other.bin"), {}));
             EXPECT_EQ(dropped.FileName, "other.bin");
         },
         at("b/stuff"),
         {},
         2,
         0},
        {"a file dropped in a folder that cannot be listed is scanned as named",
         [](Harness& h) {
             h.disk.refused.insert(at("b/stuff"));
             const auto dropped = h.browser->openFile(startFile(at("b/stuff/other.bin"), {}));
             EXPECT_EQ(dropped.Path, at("b/stuff"));
             EXPECT_EQ(dropped.ListIndex, 0);
         },
         at("a/work"),
         {failed(at("b/stuff"), errc::permission_denied)},
         1,
         -1},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.what);
        Harness h;
        h.start(at("a/work"));
        s.act(h);
        const Browser& b = *h.browser;
        EXPECT_EQ(b.dirPath(), s.at);
        EXPECT_EQ(b.filePath(), s.at);
        EXPECT_EQ(h.messages.shown, s.boxes);
        EXPECT_EQ(h.screen.fileLists, s.fileLists);
        EXPECT_EQ(b.selection().ListIndex, s.selected);
        EXPECT_EQ(h.screen.selected, s.selected);
        EXPECT_EQ(h.screen.rows, b.rows());
        ASSERT_FALSE(b.rows().empty());
        EXPECT_EQ(b.rows()[h.screen.highlight].folder, s.at);
        EXPECT_EQ(h.screen.drive, b.drive());
        EXPECT_EQ(b.drive(), s.at == Root ? 0 : (isUnder(s.at, at("b")) ? BRow : ARow));
        EXPECT_EQ(h.screen.fileCount, b.fileNames().size());
    }
}

// The folder list's rows: the ancestors from the root down, open and indented one more each, then
// the subfolders, closed, one level below the folder.
TEST(Browser, RowsAreTheAncestorsThenTheSubfoldersAndARootIsOneRow) {
    NameList subfolders;
    ASSERT_TRUE(subfolders.add(fs::path("x").native()));
    const auto rows = folderRows(at("a/work"), subfolders);
    const std::vector<FolderRow> expected{
        {Root, 0, true}, {at("a"), 1, true}, {at("a/work"), 2, true}, {at("a/work/x"), 3, false}};
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(rows[0].name(), Root);
    EXPECT_EQ(rows[2].name(), "work");
    EXPECT_EQ(folderRows(Root, {}), (std::vector<FolderRow>{{Root, 0, true}}));
}

// A folder of more names than 16 bits count, and names that are not valid text: the selection
// hands over the chosen name's own bytes (or UTF-16 units) and its index.
TEST(Browser, ASelectionHandsOverTheNamesOwnBytesInFoldersOfAnySize) {
    Harness h;
    constexpr std::size_t Many = 100'000;
    for (std::size_t i = 0; i < Many; ++i) {
        h.disk.files.insert(at("a/work") / ("f" + std::to_string(i)));
    }
#ifdef _WIN32
    const fs::path odd(std::wstring(L"caf\xD800.exe"));  // a lone surrogate
#else
    const fs::path odd("caf\xe9.exe");  // Latin-1
#endif
    h.disk.files.insert(at("a/work") / odd);
    h.start(at("a/work"));
    ASSERT_EQ(h.screen.fileCount, Many + 3);
    for (const fs::path& name : {odd, fs::path("f99999")}) {
        const std::int64_t index = indexOfName(h.browser->fileNames(), name);
        h.browser->selectFile(index);
        const FileSelection chosen = h.browser->selection();
        EXPECT_EQ(chosen.FileName.native(), name.native());
        EXPECT_EQ(chosen.ListIndex, index);
    }
    h.browser->selectFile(static_cast<std::int64_t>(Many + 3));  // past the list: none
    EXPECT_EQ(h.browser->selection().ListIndex, -1);
}

}  // namespace
}  // namespace trovik::test
