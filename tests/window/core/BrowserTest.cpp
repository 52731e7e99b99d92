// The browsing chain over a disk made up in memory: every scenario that both windows share, run
// once against the browser, with the window it shows through stood in for.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <sstream>
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
    std::shared_ptr<const NameList> files;
    std::int64_t selected = -1;

    void showDrive(std::size_t volume) override { drive = volume; }
    void showFolders(const std::vector<FolderRow>& shown, std::size_t current) override {
        rows = shown;
        highlight = current;
    }
    void markFolder(std::size_t current) override { highlight = current; }
    void showFiles(std::shared_ptr<const NameList> names) override {
        ++fileLists;
        files = std::move(names);
        selected = -1;
    }
    void showSelection(std::int64_t index) override { selected = index; }
};

constexpr std::size_t ARow = 1;  // the drive list: the root, then A and B
constexpr std::size_t BRow = 2;

// A browser over the disk, started in a/work, driven by steps as a user and the system would
// take them, each a word and a path (or a name): "start a/x", "refuse a/x" (cannot be listed),
// "refuse-files a/x", "gone a/x", "select pws.exe", "drive b", "open a/x", "drop b/y/file".
struct Harness {
    Disk disk;
    RecordingMessageBox messages;
    Screen screen;
    std::optional<Browser> browser;
    FileSelection dropped;

    Harness() {
        for (const char* file : {"a/work/pws.exe", "a/work/report.doc", "a/work/deeper/inner.exe",
                                 "a/top.exe", "b/b.bin", "b/stuff/other.bin"}) {
            disk.file(at(file));
        }
        start(at("a/work"));
    }
    void start(const fs::path& working) {
        screen = Screen{};
        browser.emplace(std::vector<Volume>{{at("a"), "ALPHA"}, {at("b"), ""}}, working, disk,
                        messages);
        browser->start(screen);
    }
    // The user's gestures change the screen first, then tell the browser.
    void step(const std::string& verb, const std::string& what) {
        if (verb == "start") {
            start(at(what.c_str()));
        } else if (verb == "refuse") {
            disk.refused.insert(at(what.c_str()));
        } else if (verb == "refuse-files") {
            disk.filesRefused.insert(at(what.c_str()));
        } else if (verb == "gone") {
            disk.remove(at(what.c_str()));
        } else if (verb == "select") {
            screen.selected = indexOfName(browser->fileNames(), what);
            browser->selectFile(screen.selected);
        } else if (verb == "drive") {
            screen.drive = what == "a" ? ARow : BRow;
            browser->Drive1_Change(screen.drive);
        } else if (verb == "open") {
            const auto& rows = browser->rows();
            const auto row = std::ranges::find(rows, at(what.c_str()), &FolderRow::folder);
            ASSERT_NE(row, rows.end()) << what;
            screen.highlight = static_cast<std::size_t>(row - rows.begin());
            browser->openRow(screen.highlight);
        } else if (verb == "drop") {
            dropped = browser->openFile(startFile(at(what.c_str()), {}));
        } else {
            FAIL() << "no step " << verb;
        }
    }
    void run(const std::string& steps) {
        std::istringstream words(steps);
        for (std::string verb, what; words >> verb >> what;) {
            step(verb, what);
        }
    }
};

struct Scenario {
    const char* what;
    const char* steps;
    const char* at;         // where both lists are after them; "" for the root
    const char* failed;     // the folder of the one box shown; none when null
    std::size_t fileLists;  // how often the file list was filled, the start's included
    std::int64_t selected;  // the file list's selection after them
};

// After each scenario the window shows what the browser holds: the same rows (the ancestors from
// the root down, open, then the subfolders, closed), the folder's own row highlighted, the drive
// of its folder, the file list's names.
TEST(Browser, EachScenarioEndsWithTheListsInStepAndTheWindowShowingThem) {
    const Scenario scenarios[] = {
        {"a start folder that cannot be listed: its volume's root, quietly",
         "refuse a/work start a/work", "a", nullptr, 1, -1},
        {"a start whose volume cannot be listed either: the root, quietly", "gone a start a/work",
         "", nullptr, 1, -1},
        {"a drive change to another volume, first at its root, clears the selection",
         "select pws.exe drive b", "b", nullptr, 2, -1},
        {"a drive change to the folder the lists are on raises no change below it",
         "select pws.exe drive a", "a/work", nullptr, 1, 0},
        {"each volume keeps its folder", "drive b open b/stuff drive a drive b", "b/stuff", nullptr,
         5, -1},
        {"a volume whose folder has gone is entered at its root",
         "drive b open b/stuff drive a gone b/stuff drive b", "b", nullptr, 5, -1},
        {"a volume that cannot be listed at all: its folder's box, the lists stay",
         "drive b open b/stuff drive a gone b drive b", "a/work", "b/stuff", 4, -1},
        {"an opened folder that cannot be listed: its box, the lists and the selection stay",
         "select report.doc refuse a/work/deeper open a/work/deeper", "a/work", "a/work/deeper", 1,
         1},
        {"opening a subfolder clears the selection, and an ancestor opens too",
         "select pws.exe open a/work/deeper open a", "a", nullptr, 3, -1},
        {"a folder whose files cannot be read: the folder list goes back to the file list's",
         "refuse-files a/work/deeper open a/work/deeper", "a/work", "a/work/deeper", 1, -1},
        {"a file dropped elsewhere moves the lists to it, selected", "drop b/stuff/other.bin",
         "b/stuff", nullptr, 2, 0},
        {"a file dropped in a folder that cannot be listed: its box, scanned as named",
         "refuse b/stuff drop b/stuff/other.bin", "a/work", "b/stuff", 1, -1},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.what);
        Harness h;
        h.run(s.steps);
        const Browser& b = *h.browser;
        const fs::path folder = at(s.at);
        EXPECT_EQ(b.dirPath(), folder);
        EXPECT_EQ(b.filePath(), folder);
        ASSERT_EQ(h.messages.shown.size(), s.failed ? 1U : 0U);
        if (s.failed) {  // the folder's box, up to its reason, which is the system's
            const Shown& box = h.messages.shown[0];
            const std::string text = folderErrorText({at(s.failed), {}});
            EXPECT_EQ(box.text.substr(0, box.text.find('\r')), text.substr(0, text.find('\r')));
            EXPECT_EQ(box.icon, MessageIcon::Critical);
        }
        EXPECT_EQ(h.screen.fileLists, s.fileLists);
        EXPECT_EQ(b.selection().ListIndex, s.selected);
        EXPECT_EQ(h.screen.selected, s.selected);
        EXPECT_EQ(h.screen.rows, b.rows());
        ASSERT_FALSE(b.rows().empty());
        EXPECT_EQ(b.rows()[h.screen.highlight].folder, folder);
        for (std::size_t i = 0; i < b.rows().size(); ++i) {  // ancestors open, one deeper each
            EXPECT_EQ(b.rows()[i].level, static_cast<int>(std::min(i, h.screen.highlight + 1)));
            EXPECT_EQ(b.rows()[i].open, i <= h.screen.highlight);
        }
        EXPECT_EQ(h.screen.drive, b.drive());
        EXPECT_EQ(b.drive(), folder == Root ? 0 : (isUnder(folder, at("b")) ? BRow : ARow));
        EXPECT_EQ(h.screen.files.get(), &b.fileNames());  // the browser's own list, not a copy
        if (std::string(s.steps).find("drop") != std::string::npos) {
            // What the drop hands the scan: the file's entry when the list shows it, else the
            // file as named, so that its box says what became of it.
            EXPECT_EQ(h.dropped.Path, at("b/stuff"));
            EXPECT_EQ(h.dropped.FileName, "other.bin");
            EXPECT_EQ(h.dropped.ListIndex, 0);
        }
    }
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
    ASSERT_EQ(h.screen.files->size(), Many + 3);
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
