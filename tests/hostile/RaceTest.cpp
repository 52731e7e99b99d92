// Files that change under the scan. The timing of a real race cannot be forced, so a file service
// around the real one changes the real file at a chosen step: before the open, or between reads.
#include <gtest/gtest.h>

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

// A file changed by another program just before one of the scan's reads: cut to a length, or
// grown by some bytes. What has arrived counts, and only the window.
struct Change {
    const char* name;
    std::string content;
    std::size_t chunk;
    std::size_t beforeRead;
    std::uint64_t cutTo;
    std::string appended;  // when not empty, appended instead of the cut
    Kind kind;
};

class ChangedWhileRead : public testing::TestWithParam<Change> {};

TEST_P(ChangedWhileRead, IsScannedAsItIs) {
    const Change& c = GetParam();
    test::TempDir dir;
    const auto path = dir.write("changing", c.content);
    InterferingFileService files;
    files.chunk = c.chunk;
    files.beforeRead = [&](std::size_t number) {
        if (number != c.beforeRead) {
            return;
        }
        if (c.appended.empty()) {
            fs::resize_file(path, c.cutTo);
        } else {
            std::ofstream(path, std::ios::binary | std::ios::app) << c.appended;
        }
    };
    EXPECT_EQ(ScanFile(path, files).verdict(), (ScanVerdict{c.kind, {}}));
}

INSTANTIATE_TEST_SUITE_P(
    Races, ChangedWhileRead,
    testing::Values(
        // The signature lies past the first read, and past the cut.
        Change{"CutBeforeTheSignatureArrived", filler(20000, "SEXSTORY", 10000), 4096, 1, 5000, "",
               Kind::Clean},
        Change{"CutAfterTheSignatureArrived", filler(20000, "SEXSTORY", 100), 4096, 1, 0, "",
               Kind::PasswordStealer},
        Change{"CutToNothingBeforeTheFirstRead", filler(20000, "SEXSTORY", 10), 0, 0, 0, "",
               Kind::Clean},
        // The length taken at the open says 100 bytes; by the first read there is more.
        Change{"GrownWithASignatureInTheWindow", filler(100), 0, 0, 0,
               filler(20000, "Change Your Password", 5000), Kind::PasswordStealer},
        Change{"GrownWithASignatureEndingPastIt", filler(100), 0, 0, 0,
               filler(40000, "SEXSTORY", 32000 - 100 - 7), Kind::Clean}),
    [](const auto& row) { return std::string(row.param.name); });

// Empty at the open, as a log just created, and every read finds more: the scan still ends with
// the window full.
TEST(ChangingFile, FileThatNeverStopsGrowingEndsAtTheWindow) {
    test::TempDir dir;
    const auto path = dir.write("endless", "");
    InterferingFileService files;
    files.chunk = 1000;
    files.beforeRead = [&](std::size_t) { std::ofstream(path, std::ios::app) << filler(1000); };
    EXPECT_EQ(ScanFile(path, files).verdict(), ScanVerdict::clean());
    EXPECT_EQ(files.reads, 32U);
}

// trovik-scan lists a folder first and scans afterwards: files that vanish or turn into something
// else in between are reported, never skipped and never called CLEAN.
TEST(ChangingFile, ChangedBetweenListingAndScanIsReported) {
    test::TempDir dir;
    InterferingFileService files;
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
