// Every kind of path a user's disk can hold, named to trovik-scan and met in a walk: each gives
// its verdict or the system's reason within a bound, and none blocks. And files that change
// between the listing and the scan. They run again with TROVIK_SCAN_IO=single, which reads every
// file through the file service alone. (Files that change between reads are in the scan's tests.)
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>

#include "cli/CommandLine.h"
#include "hostile/HostileFiles.h"
#include "scan/ScanPipeline.h"
#include "support/HangBound.h"
#include "support/RunProgram.h"
#include "support/ScanIo.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

namespace fs = std::filesystem;
using test::filler;
using test::HangBound;

const std::string Stealer = filler(2000, "cHaNgE yOuR pAsSwOrD", 1000);

// A walk through a folder that holds every kind of path a disk can hold: every file is scanned in
// sorted order, every path that cannot be is reported, special files and links (to a FIFO,
// looping) are passed over, and nothing blocks. Named on the command line after it, special files
// and a loop of links are errors.
// A folder named, a file missing, links to files, to folders and to nowhere, and the window's edge
// in files of ordinary size are in the command-line tests, which run on Windows too; the window's
// edge in real files and sizes past 32 bits are in the scan's and the batch reader's tests.
TEST(HostilePaths, WalkedAndNamedGiveTheVerdictOrTheReason) {
    test::TempDir dir;
    const fs::path tree = dir / "tree";
    dir.write("tree/shallow/file", "x");
    dir.write("tree/b/2.txt", "SEXSTORY");
    dir.write("tree/b/1.txt", "x");
    test::makeFifo(tree / "b/fifo");
    test::makeSocket(tree / "socket");
    fs::create_symlink("b/fifo", tree / "link-to-fifo");
    fs::create_symlink("loop", tree / "loop");
    dir.write("tree/\xff\xfe", Stealer);
    dir.write("tree/new\nline", "x");
    dir.write("tree/-rf", "x");
    test::writeDeep(tree / "shallow", 17, "x");
    // The first folder of the chain whose path the system cannot take is the one reported.
    fs::path tooLong = tree / "shallow";
    while (tooLong.native().size() < 4096) {
        tooLong /= std::string(250, 'd');
    }
    const std::vector<std::string> named{test::makeFifo(dir / "fifo"),
                                         test::makeSocket(dir / "socket"), "/dev/zero",
                                         tree / "loop", test::writeDeep(dir.path(), 17, Stealer)};
    std::vector<std::string> arguments{"trovik-scan", "-r", "-j", "2", tree};
    arguments.insert(arguments.end(), named.begin(), named.end());

    std::ostringstream out;
    std::ostringstream err;
    const auto start = std::chrono::steady_clock::now();
    const int status = cli::runCommandLine(arguments, out, err, test::environmentReaders());
    EXPECT_LT(std::chrono::steady_clock::now() - start, HangBound);
    const std::string t = tree.native() + "/";
    EXPECT_EQ(out.str(), t + "-rf: CLEAN\n" + t + "b/1.txt: CLEAN\n" + t +
                             "b/2.txt: PASSWORD STEALER\n" + t + "new\nline: CLEAN\n" + t +
                             "shallow/file: CLEAN\n" + t + "\xff\xfe: PASSWORD STEALER\n");
    const std::string notRegular = ": Not a regular file\ntrovik-scan: ";
    const std::string loop = ": Too many levels of symbolic links\ntrovik-scan: ";
    EXPECT_EQ(err.str(), "trovik-scan: " + tooLong.native() +
                             ": File name too long\ntrovik-scan: " + named[0] + notRegular +
                             named[1] + notRegular + named[2] + notRegular + named[3] + loop +
                             named[4] + ": File name too long\n");
    EXPECT_EQ(status, cli::StealerFound);
    // Too deep for the folder's own removal: rm walks relative to open folders, however deep.
    test::runProgram({"/bin/rm", "-rf", "--", dir.path()}, dir.path());
}

// trovik-scan lists a folder first and scans afterwards: files that vanish or turn into something
// else in between are reported, never skipped, never waited on and never called CLEAN. The source
// changes each file just before it hands it over, on whichever path the reads take.
TEST(ChangingFile, ChangedBetweenListingAndScanIsReported) {
    test::TempDir dir;
    const std::vector<std::pair<std::string, std::function<void(const fs::path&)>>> changes{
        {"a-vanishes", [](const fs::path&) {}},
        {"b-stays", [](const fs::path& p) { std::ofstream(p) << "x"; }},
        {"c-becomes-fifo", [](const fs::path& p) { test::makeFifo(p); }},
        {"d-becomes-folder", [](const fs::path& p) { fs::create_directory(p); }},
        {"e-becomes-device", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }},
        {"f-becomes-socket", [](const fs::path& p) { test::makeSocket(p); }},
    };
    for (const unsigned threads : {1u, 2u}) {
        std::string reported;
        const auto start = std::chrono::steady_clock::now();
        scanInOrder(
            [&](const TargetSink& emit, const Settle&) {
                for (const auto& [name, change] : changes) {
                    const fs::path path = dir.write(std::to_string(threads) + "/" + name, "x");
                    fs::remove(path);
                    change(path);
                    emit({path, {}});
                }
            },
            threads, systemFileService(), test::environmentReaders(),
            [&](const Target& target, const ScanVerdict& verdict) {
                reported += target.path.filename().native() + ": " +
                            (verdict.error ? verdict.error.message() : "scanned") + "\n";
                return true;
            });
        EXPECT_LT(std::chrono::steady_clock::now() - start, HangBound);
        EXPECT_EQ(reported,
                  "a-vanishes: No such file or directory\nb-stays: scanned\nc-becomes-fifo: Not a "
                  "regular file\nd-becomes-folder: Is a directory\ne-becomes-device: Not a regular "
                  "file\nf-becomes-socket: No such device or address\n");
    }
}

}  // namespace
}  // namespace trovik
