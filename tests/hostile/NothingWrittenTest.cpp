// The scanner only ever reads: a scanned file keeps its bytes, size, times and status, and the
// open file is read-only, non-blocking, close-on-exec and does not update the access time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <sstream>

#include "cli/CommandLine.h"
#include "scan/ScanCommand.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

namespace fs = std::filesystem;
using test::filler;

struct FileState {
    std::string bytes;
    struct stat status {};
};

// The file's status first, then its bytes, read without touching its access time (we own it).
FileState stateOf(const fs::path& path) {
    FileState state;
    EXPECT_EQ(::lstat(path.c_str(), &state.status), 0);
    if (S_ISREG(state.status.st_mode)) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOATIME | O_CLOEXEC);
        EXPECT_GE(fd, 0);
        std::array<char, 4096> buffer{};
        for (ssize_t got = 0; (got = ::read(fd, buffer.data(), buffer.size())) > 0;) {
            state.bytes.append(buffer.data(), static_cast<std::size_t>(got));
        }
        ::close(fd);
    }
    return state;
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

void expectUnchanged(const FileState& before, const FileState& after) {
    EXPECT_EQ(after.bytes, before.bytes);
    EXPECT_EQ(after.status.st_size, before.status.st_size);
    EXPECT_EQ(after.status.st_mode, before.status.st_mode);
    EXPECT_TRUE(sameTime(after.status.st_mtim, before.status.st_mtim)) << "modification time";
    EXPECT_TRUE(sameTime(after.status.st_ctim, before.status.st_ctim)) << "status change time";
    EXPECT_TRUE(sameTime(after.status.st_atim, before.status.st_atim)) << "access time";
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
    std::vector<FileState> before;
    for (int i = 0; i < 21; ++i) {
        const std::string content = i % 3 == 0   ? filler(40000, "sexstory", 31000)
                                    : i % 3 == 1 ? filler(50000)
                                                 : "";
        paths.push_back(staleAccessTime(dir.write("tree/f" + std::to_string(i), content)));
        before.push_back(stateOf(paths.back()));
    }
    fs::create_symlink("f0", dir / "tree/link");
    const FileState folderBefore = stateOf(dir / "tree");

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
    EXPECT_TRUE(sameTime(stateOf(dir / "tree").status.st_mtim, folderBefore.status.st_mtim));
}

}  // namespace
}  // namespace trovik
