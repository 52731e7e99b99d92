// What a scan leaves behind: nothing. No descriptor stays open, whatever the scan met: the process
// holds as many after ten thousand scans of good and bad paths as before them. A scanned file
// keeps its size, times and status, and is opened read-only, non-blocking, close-on-exec and
// without updating its access time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "cli/CommandLine.h"
#include "hostile/HostileFiles.h"
#include "scan/ScanCommand.h"
#include "support/RecordingMessageBox.h"
#include "support/ScanIo.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

namespace fs = std::filesystem;
using test::filler;

constexpr int Scans = 10'000;

// The scan command over clean and stealer files and every way a path can fail, and now and then
// trovik-scan on four threads over the same folder, walked and named.
TEST(Descriptors, TenThousandMixedScansLeaveNoneOpen) {
    test::TempDir dir;
    dir.write("clean.txt", filler(5000));
    dir.write("pws.exe", filler(40000, "SOFTWARE\\Borland\\Delphi\\RTL", 20000));
    dir.write("empty", "");
    dir.write("folder/inside", "x");
    test::makeFifo(dir / "fifo");
    test::makeSocket(dir / "socket");
    fs::create_symlink("nowhere", dir / "dangling");
    fs::create_symlink("loop", dir / "loop");
    std::vector<FileSelection> selections{
        {"/dev", "zero", 0}, {"/proc/self", "status", 0}, {dir.path(), "", -1}};
    for (const char* name : {"clean.txt", "pws.exe", "empty", "folder", "fifo", "socket",
                             "dangling", "loop", "missing"}) {
        selections.push_back({dir.path(), name, 0});
    }
    const std::vector<std::string> arguments{"trovik-scan",   "-r",       "-j", "4", dir.path(),
                                             dir / "missing", "/dev/zero"};
    test::RecordingMessageBox messages;

    const std::size_t before = test::openDescriptorCount();
    for (int i = 0; i < Scans; ++i) {
        ScanCommand(selections[static_cast<std::size_t>(i) % selections.size()], messages,
                    systemFileService());
        if (i % 500 == 0) {
            std::ostringstream out;
            ASSERT_EQ(cli::runCommandLine(arguments, out, out, test::environmentReaders()),
                      cli::StealerFound);
        }
    }
    EXPECT_EQ(test::openDescriptorCount(), before);
    // the clean ones did succeed
    EXPECT_GT(std::ranges::count(messages.shown, MessageIcon::Information, &test::Shown::icon),
              Scans / 6);
}

// Size, mode and times: a write changes the modification and status change times, whatever it
// writes.
std::string stamp(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0);
    std::ostringstream text;
    text << "size " << status.st_size << " mode " << status.st_mode;
    for (const timespec& time : {status.st_mtim, status.st_ctim, status.st_atim}) {
        text << ' ' << time.tv_sec << '.' << time.tv_nsec;
    }
    return text.str();
}

// Stealers, clean files and empty ones, scanned by the scan command and by trovik-scan. Their
// access time lies before their modification time: on a "relatime" mount, the common default,
// any read that may update the access time does so for such a file.
TEST(NothingWritten, ScansOpenReadOnlyAndChangeNothing) {
    test::TempDir dir;
    std::vector<std::pair<fs::path, std::string>> stamps;
    for (int i = 0; i < 21; ++i) {
        const std::string content = i % 3 == 0   ? filler(40000, "sexstory", 31000)
                                    : i % 3 == 1 ? filler(50000)
                                                 : "";
        const auto path = dir.write("tree/f" + std::to_string(i), content);
        const timespec times[2] = {{946684800, 0}, {1262304000, 0}};  // 2000-01-01, 2010-01-01
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        stamps.emplace_back(path, stamp(path));
    }

    // While the verdict box is up, the scanned file is found among the open descriptors.
    test::RecordingMessageBox messages;
    int flags = -1;
    messages.whileShown = [&](const test::Shown&) {
        for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
            std::error_code ignored;
            if (fs::read_symlink(fd.path(), ignored) == dir / "tree/f0") {
                const int number = std::stoi(fd.path().filename());
                flags = ::fcntl(number, F_GETFL) |
                        ((::fcntl(number, F_GETFD) & FD_CLOEXEC) != 0 ? O_CLOEXEC : 0);
            }
        }
    };
    ScanCommand({dir / "tree", "f0", 0}, messages, systemFileService());
    EXPECT_EQ(messages.shown, (test::Boxes{{"f0 is a PASSWORD STEALER!", MessageIcon::Critical}}));
    ASSERT_NE(flags, -1) << "the file was not open while the box was up";
    // We own the file, so the system lets the scan keep the access time.
    constexpr int Wanted = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOATIME;
    EXPECT_EQ(flags & (O_ACCMODE | Wanted), Wanted) << std::oct << flags;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::runCommandLine({"trovik-scan", "-r", "-j", "4", dir / "tree"}, out, err,
                                  test::environmentReaders()),
              cli::StealerFound);

    for (const auto& [path, before] : stamps) {
        EXPECT_EQ(stamp(path), before) << path;
    }
}

}  // namespace
}  // namespace trovik
