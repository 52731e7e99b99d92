// Files that change under the scan. The timing of a real race cannot be forced, so a file service
// around the real one changes the real file at a chosen step: before the open, or between reads.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "cli/CommandLine.h"
#include "hostile/HostileFiles.h"
#include "scan/ScanFile.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

namespace fs = std::filesystem;
using test::filler;
using Kind = ScanVerdict::Kind;

// The system's file service, with a hook before each open and before each read, and reads cut to
// at most `chunk` bytes so that a change can land in the middle of a scan.
class InterferingFileService final : public FileService {
public:
    std::function<void(const fs::path&)> beforeOpen;
    std::function<void(std::size_t readNumber)> beforeRead;
    std::size_t chunk = 0;
    std::size_t reads = 0;

    Result<OpenedFile> open(const fs::path& path) noexcept override {
        if (beforeOpen) {
            beforeOpen(path);
        }
        return m_system.open(path);
    }
    Result<std::size_t> read(NativeFile file, std::span<std::byte> into) noexcept override {
        if (beforeRead) {
            beforeRead(reads);
        }
        ++reads;
        return m_system.read(file, chunk == 0 ? into : into.first(std::min(chunk, into.size())));
    }
    void close(NativeFile file) noexcept override { m_system.close(file); }

private:
    FileService& m_system = systemFileService();
};

void append(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::app) << text;
}

class ChangingFileTest : public testing::Test {
protected:
    test::TempDir dir;
    InterferingFileService files;

    ScanVerdict scan(const fs::path& path) { return ScanFile(path, files).verdict(); }
};

TEST_F(ChangingFileTest, TruncatedWhileReadIsScannedAsItIs) {
    // The signature lies past the first read; the file is cut short before the second.
    const auto path = dir.write("shrinking", filler(20000, "SEXSTORY", 10000));
    files.chunk = 4096;
    files.beforeRead = [&](std::size_t number) {
        if (number == 1) {
            fs::resize_file(path, 5000);
        }
    };
    EXPECT_EQ(scan(path), ScanVerdict::clean());
    EXPECT_EQ(files.reads, 3U);  // 4096 bytes, the 904 left, then the end

    // What had arrived before the cut still counts.
    const auto early = dir.write("shrinking-early", filler(20000, "SEXSTORY", 100));
    files.reads = 0;
    files.beforeRead = [&](std::size_t number) {
        if (number == 1) {
            fs::resize_file(early, 0);
        }
    };
    EXPECT_EQ(scan(early).kind, Kind::PasswordStealer);
}

TEST_F(ChangingFileTest, TruncatedToNothingBeforeTheFirstReadIsClean) {
    const auto path = dir.write("emptied", filler(20000, "SEXSTORY", 10));
    files.beforeRead = [&](std::size_t number) {
        if (number == 0) {
            fs::resize_file(path, 0);
        }
    };
    EXPECT_EQ(scan(path), ScanVerdict::clean());
}

TEST_F(ChangingFileTest, GrownAfterTheOpenIsScannedUpToTheWindow) {
    // The length taken at the open says 100 bytes; by the first read the file holds a signature
    // further on, inside the window, and one that ends just past it.
    const auto path = dir.write("growing", filler(100));
    files.beforeRead = [&](std::size_t number) {
        if (number == 0) {
            append(path, filler(20000, "Change Your Password", 5000));
        }
    };
    EXPECT_EQ(scan(path).kind, Kind::PasswordStealer);

    const auto past = dir.write("growing-past", filler(100));
    files.beforeRead = [&](std::size_t number) {
        if (number == 0) {
            append(past, filler(40000, "SEXSTORY", 32000 - 100 - 7));
        }
    };
    EXPECT_EQ(scan(past).kind, Kind::Clean);
}

TEST_F(ChangingFileTest, FileThatNeverStopsGrowingEndsAtTheWindow) {
    // Empty at the open, as a log just created, and every read finds more: the scan still ends
    // with the window full.
    const auto path = dir.write("endless", "");
    files.chunk = 1000;
    files.beforeRead = [&](std::size_t) { append(path, filler(1000)); };
    EXPECT_EQ(scan(path), ScanVerdict::clean());
    EXPECT_EQ(files.reads, 32U);
}

TEST_F(ChangingFileTest, ReplacedByAFifoBeforeTheOpenIsRefused) {
    const auto path = dir.write("swapped", "x");
    files.beforeOpen = [&](const fs::path& p) {
        fs::remove(p);
        test::makeFifo(p);
    };
    EXPECT_EQ(scan(path).kind, Kind::Unreadable);
}

// trovik-scan lists a folder first and scans afterwards: files that vanish or turn into something
// else in between are reported, never skipped and never called CLEAN.
TEST_F(ChangingFileTest, ChangedBetweenListingAndScanIsReported) {
    dir.write("tree/a-vanishes", "x");
    dir.write("tree/b-stays", "x");
    dir.write("tree/c-becomes-fifo", "x");
    dir.write("tree/d-becomes-folder", "x");
    files.beforeOpen = [](const fs::path& p) {
        const auto name = p.filename().native();
        if (name == "a-vanishes") {
            fs::remove(p);
        } else if (name == "c-becomes-fifo") {
            fs::remove(p);
            test::makeFifo(p);
        } else if (name == "d-becomes-folder") {
            fs::remove(p);
            fs::create_directory(p);
        }
    };
    std::ostringstream out;
    std::ostringstream err;
    const auto tree = (dir / "tree").native();
    const int status = cli::RunCommandLine({"trovik-scan", "-r", "-j", "1", tree}, out, err, files);
    EXPECT_EQ(out.str(), tree + "/b-stays: CLEAN\n");
    EXPECT_EQ(err.str(), "trovik-scan: " + tree + "/a-vanishes: No such file or directory\n" +
                             "trovik-scan: " + tree + "/c-becomes-fifo: Not a regular file\n" +
                             "trovik-scan: " + tree + "/d-becomes-folder: Is a directory\n");
    EXPECT_EQ(status, cli::NotAllScanned);
}

}  // namespace
}  // namespace trovik
