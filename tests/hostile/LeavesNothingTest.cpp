// What a scan leaves behind: nothing. No descriptor stays open, whatever the scan met: the process
// holds as many after ten thousand scans of good and bad paths as before them. A scanned file
// keeps its size, times and status, and is opened read-only, non-blocking, close-on-exec and
// without updating its access time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "cli/CommandLine.h"
#include "hostile/HostileFiles.h"
#include "scan/ScanCommand.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

namespace fs = std::filesystem;
using test::filler;

constexpr int Scans = 10'000;

// Counts the boxes by their icon, and fails every n-th one as a broken box would.
class CountingMessages final : public MessageBoxService {
public:
    int failEvery = 0;
    int critical = 0;
    int information = 0;

    void show(std::string_view, MessageIcon icon) override {
        ++(icon == MessageIcon::Critical ? critical : information);
        if (failEvery != 0 && (critical + information) % failEvery == 0) {
            throw std::runtime_error("the box failed");
        }
    }
};

// Clean and stealer files, and every way a path can fail, in one folder.
std::vector<FileSelection> mixedSelections(const test::TempDir& dir) {
    dir.write("clean.txt", filler(5000));
    dir.write("pws.exe", filler(40000, "SOFTWARE\\Borland\\Delphi\\RTL", 20000));
    dir.write("empty", "");
    dir.write("folder/inside", "x");
    test::makeFifo(dir / "fifo");
    test::makeSocket(dir / "socket");
    fs::create_symlink("nowhere", dir / "dangling");
    fs::create_symlink("loop", dir / "loop");
    std::vector<FileSelection> selections;
    for (const char* name : {"clean.txt", "pws.exe", "empty", "folder", "fifo", "socket",
                             "dangling", "loop", "missing"}) {
        selections.push_back({dir.path(), name, 0});
    }
    selections.push_back({"/dev", "zero", 0});
    selections.push_back({"/proc/self", "status", 0});
    selections.push_back({dir.path(), "", -1});  // nothing selected
    return selections;
}

// The scan command, now and then with a box that fails while the file is open, and trovik-scan
// on four threads over the same folder, walked and named.
TEST(Descriptors, TenThousandMixedScansLeaveNoneOpen) {
    test::TempDir dir;
    const auto selections = mixedSelections(dir);
    CountingMessages messages;
    messages.failEvery = 7;
    int boxFailures = 0;
    const std::vector<std::string> arguments{"trovik-scan",   "-r",       "-j", "4", dir.path(),
                                             dir / "missing", "/dev/zero"};

    const std::size_t before = test::openDescriptorCount();
    for (int i = 0; i < Scans; ++i) {
        try {
            ScanCommand(selections[static_cast<std::size_t>(i) % selections.size()], messages,
                        systemFileService());
        } catch (const std::runtime_error&) {
            ++boxFailures;
        }
        if (i % 500 == 0) {
            std::ostringstream out;
            std::ostringstream err;
            ASSERT_EQ(cli::RunCommandLine(arguments, out, err, systemFileService()),
                      cli::StealerFound);
            const std::string printed = out.str() + err.str();
            // clean.txt, empty, folder/inside, pws.exe; dangling, loop, missing, /dev/zero.
            ASSERT_EQ(std::count(printed.begin(), printed.end(), '\n'), 8) << printed;
        }
    }
    EXPECT_EQ(test::openDescriptorCount(), before);
    EXPECT_EQ(messages.critical + messages.information, Scans);
    EXPECT_GT(messages.information, Scans / 6);  // the clean ones did succeed
    EXPECT_GT(boxFailures, 0);
}

// A write changes the modification and status change times, whatever it writes.
struct stat stateOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0);
    return status;
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

void expectUnchanged(const struct stat& before, const struct stat& after) {
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_TRUE(sameTime(after.st_mtim, before.st_mtim)) << "modification time";
    EXPECT_TRUE(sameTime(after.st_ctim, before.st_ctim)) << "status change time";
    EXPECT_TRUE(sameTime(after.st_atim, before.st_atim)) << "access time";
}

// A file whose access time lies before its modification time: on a "relatime" mount, the
// common default, any read that may update the access time does so for such a file.
fs::path staleAccessTime(const fs::path& path) {
    const timespec times[2] = {{946684800, 0}, {1262304000, 0}};  // 2000-01-01, 2010-01-01
    EXPECT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    return path;
}

// The system's file service, remembering the last descriptor it opened.
class WatchedFileService final : public FileService {
public:
    NativeFile last = -1;
    Result<OpenedFile> open(const fs::path& path) noexcept override {
        auto opened = m_system.open(path);
        if (opened) {
            last = opened.value().handle;
        }
        return opened;
    }
    Result<std::size_t> read(NativeFile file, std::span<std::byte> into) noexcept override {
        return m_system.read(file, into);
    }
    void close(NativeFile file) noexcept override { m_system.close(file); }

private:
    FileService& m_system = systemFileService();
};

// While the verdict box is up, looks up how the scanned file is open.
class FlagReadingMessages final : public MessageBoxService {
public:
    explicit FlagReadingMessages(const WatchedFileService& files) : m_files(files) {}
    void show(std::string_view text, MessageIcon) override {
        shown = text;
        std::ifstream info("/proc/self/fdinfo/" + std::to_string(m_files.last));
        std::string key;
        while (info >> key) {
            if (key == "flags:") {
                info >> std::oct >> flags;
                return;
            }
        }
    }
    std::string shown;
    int flags = -1;

private:
    const WatchedFileService& m_files;
};

// Stealers, clean files and empty ones, each scanned by the scan command and by trovik-scan.
TEST(NothingWritten, ScansOpenReadOnlyAndChangeNothing) {
    test::TempDir dir;
    std::vector<fs::path> paths;
    std::vector<struct stat> before;
    for (int i = 0; i < 21; ++i) {
        const std::string content = i % 3 == 0   ? filler(40000, "sexstory", 31000)
                                    : i % 3 == 1 ? filler(50000)
                                                 : "";
        paths.push_back(staleAccessTime(dir.write("tree/f" + std::to_string(i), content)));
        before.push_back(stateOf(paths.back()));
    }
    fs::create_symlink("f0", dir / "tree/link");
    const struct stat folderBefore = stateOf(dir / "tree");

    for (const std::string name : {"f0", "f1", "f2"}) {
        SCOPED_TRACE(name);
        WatchedFileService files;
        FlagReadingMessages messages(files);
        ScanCommand({dir / "tree", name, 0}, messages, files);
        EXPECT_EQ(messages.shown.rfind(name + " is ", 0), 0U) << messages.shown;
        ASSERT_NE(messages.flags, -1) << "the file was not open while the box was up";
        EXPECT_EQ(messages.flags & O_ACCMODE, O_RDONLY);
        EXPECT_NE(messages.flags & O_NONBLOCK, 0);
        EXPECT_NE(messages.flags & O_CLOEXEC, 0);
        // We own the file, so the system lets the scan keep the access time.
        EXPECT_NE(messages.flags & O_NOATIME, 0);
    }
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::RunCommandLine({"trovik-scan", "-r", "-j", "4", dir / "tree"}, out, err,
                                  systemFileService()),
              cli::StealerFound);

    for (std::size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        expectUnchanged(before[i], stateOf(paths[i]));
    }
    EXPECT_TRUE(sameTime(stateOf(dir / "tree").st_mtim, folderBefore.st_mtim));
}

}  // namespace
}  // namespace trovik
