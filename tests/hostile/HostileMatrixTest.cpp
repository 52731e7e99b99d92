// Every kind of path a user's disk can hold, through the scan command and through trovik-scan:
// each gives its verdict or the system's reason within a bound, and none blocks. And files that
// change while they are scanned.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>

#include "cli/CommandLine.h"
#include "hostile/HostileFiles.h"
#include "scan/ScanCommand.h"
#include "scan/ScanFile.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::filler;
using Kind = ScanVerdict::Kind;

// No case may take longer than this: nothing is waited for, and at most 32000 bytes are read.
constexpr auto TimeBound = 3s;

class RecordingMessages final : public MessageBoxService {
public:
    void show(std::string_view text, MessageIcon icon) override {
        shown.emplace_back(std::string(text), icon);
    }
    std::vector<std::pair<std::string, MessageIcon>> shown;
};

struct HostileCase {
    const char* name;
    // Makes the path to scan inside the given folder (or names one outside it).
    std::function<fs::path(const fs::path&)> make;
    Kind kind;
    std::string commandReason;  // the system's reason as the scan command shows it
    std::string cliReason;      // as trovik-scan reports it, when it refuses the path earlier
};

class HostileMatrix : public testing::TestWithParam<HostileCase> {
protected:
    test::TempDir dir;

    ~HostileMatrix() override { test::removeTree(dir.path()); }  // may hold too deep a tree
};

TEST_P(HostileMatrix, ScanCommandAndTrovikScanGiveTheVerdictOrTheReason) {
    const HostileCase& c = GetParam();
    const fs::path path = c.make(dir.path());
    const std::string name = path.filename().native();
    const std::string verdict = c.kind == Kind::Clean ? "CLEAN" : "PASSWORD STEALER";

    RecordingMessages messages;
    auto start = std::chrono::steady_clock::now();
    ScanCommand({path.parent_path(), path.filename(), 0}, messages, systemFileService());
    EXPECT_LT(std::chrono::steady_clock::now() - start, TimeBound);
    const std::pair<std::string, MessageIcon> box =
        c.kind == Kind::Unreadable
            ? std::pair{name + " could not be scanned!\r\r" + c.commandReason,
                        MessageIcon::Critical}
        : c.kind == Kind::Clean
            ? std::pair{name + " is CLEAN!", MessageIcon::Information}
            : std::pair{name + " is a PASSWORD STEALER!", MessageIcon::Critical};
    EXPECT_EQ(messages.shown, (std::vector{box}));

    std::ostringstream out;
    std::ostringstream err;
    start = std::chrono::steady_clock::now();
    const int status = cli::RunCommandLine({"trovik-scan", "-j", "2", "--", path.native()}, out,
                                           err, systemFileService());
    EXPECT_LT(std::chrono::steady_clock::now() - start, TimeBound);
    if (c.kind == Kind::Unreadable) {
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(err.str(), "trovik-scan: " + path.native() + ": " +
                                 (c.cliReason.empty() ? c.commandReason : c.cliReason) + "\n");
        EXPECT_EQ(status, cli::NotAllScanned);
    } else {
        EXPECT_EQ(out.str(), path.native() + ": " + verdict + "\n");
        EXPECT_EQ(err.str(), "");
        EXPECT_EQ(status, c.kind == Kind::Clean ? cli::AllClean : cli::StealerFound);
    }
}

fs::path write(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

fs::path link(const fs::path& target, const fs::path& path) {
    fs::create_symlink(target, path);
    return path;
}

const std::string NotRegular = "Not a regular file";
const std::string Stealer = filler(2000, "cHaNgE yOuR pAsSwOrD", 1000);

// A folder named, a file missing, and the window's edge in files of ordinary size are in the
// scan and command-line tests, which run on Windows too.
const HostileCase Cases[] = {
    {"FifoWithoutWriter", [](const fs::path& d) { return test::makeFifo(d / "fifo"); },
     Kind::Unreadable, NotRegular, ""},
    // The open itself refuses a socket; the command line sees the kind before it opens.
    {"UnixSocket", [](const fs::path& d) { return test::makeSocket(d / "socket"); },
     Kind::Unreadable, "No such device or address", NotRegular},
    {"DevNull", [](const fs::path&) { return fs::path("/dev/null"); }, Kind::Unreadable, NotRegular,
     ""},
    {"DevZero", [](const fs::path&) { return fs::path("/dev/zero"); }, Kind::Unreadable, NotRegular,
     ""},
    {"DevUrandom", [](const fs::path&) { return fs::path("/dev/urandom"); }, Kind::Unreadable,
     NotRegular, ""},
    {"DanglingLink", [](const fs::path& d) { return link(d / "nowhere", d / "dangling"); },
     Kind::Unreadable, "No such file or directory", ""},
    {"LinkLoop",
     [](const fs::path& d) {
         link("a", d / "b");
         return link("b", d / "a");
     },
     Kind::Unreadable, "Too many levels of symbolic links", ""},
    {"LinkToFifo", [](const fs::path& d) { return link(test::makeFifo(d / "fifo"), d / "link"); },
     Kind::Unreadable, NotRegular, ""},
    {"LinkToStealer", [](const fs::path& d) { return link(write(d / "pws", Stealer), d / "link"); },
     Kind::PasswordStealer, "", ""},
    {"Sparse5GiBSignatureInWindow",
     [](const fs::path& d) { return test::makeSparse(d / "5g", 5ULL << 30, Stealer); },
     Kind::PasswordStealer, "", ""},
    {"Sparse5GiBSignaturePastWindow",
     [](const fs::path& d) {
         return test::makeSparse(d / "5g", 5ULL << 30, filler(32100, "SEXSTORY", 31993));
     },
     Kind::Clean, "", ""},
    {"NameNotValidUtf8", [](const fs::path& d) { return write(d / "\xff\xfe\x80\xc3(", Stealer); },
     Kind::PasswordStealer, "", ""},
    {"NameWithNewlines", [](const fs::path& d) { return write(d / "two\nlines\n", "x"); },
     Kind::Clean, "", ""},
    {"NameWithSpaces", [](const fs::path& d) { return write(d / "  a  b  ", Stealer); },
     Kind::PasswordStealer, "", ""},
    {"NameWithLeadingDash", [](const fs::path& d) { return write(d / "-rf", "x"); }, Kind::Clean,
     "", ""},
    {"Name255Bytes",
     [](const fs::path& d) { return write(d / (std::string(251, 'n') + ".exe"), Stealer); },
     Kind::PasswordStealer, "", ""},
    {"PathLongerThan4096Bytes", [](const fs::path& d) { return test::writeDeep(d, 17, Stealer); },
     Kind::Unreadable, "File name too long", ""},
};

INSTANTIATE_TEST_SUITE_P(Paths, HostileMatrix, testing::ValuesIn(Cases),
                         [](const auto& param) { return std::string(param.param.name); });

// A walk through a folder that holds all of the above at once: every file is scanned in sorted
// order, every path that cannot be is reported, special files and links to folders are passed
// over, and nothing blocks.
TEST(HostileWalk, EveryFileIsScannedOrReported) {
    test::TempDir dir;
    const fs::path tree = dir / "tree";
    dir.write("elsewhere/far.txt", "x");
    dir.write("tree/shallow/file", "x");
    dir.write("tree/b/2.txt", "SEXSTORY");
    dir.write("tree/b/1.txt", "x");
    test::makeFifo(tree / "b/fifo");
    test::makeSocket(tree / "socket");
    link("../elsewhere", tree / "linked-folder");
    link("b/1.txt", tree / "linked-file");
    link("b/fifo", tree / "link-to-fifo");
    link("nowhere", tree / "dangling");
    link("loop", tree / "loop");
    link("/dev/zero", tree / "link-to-zero");
    write(tree / "\xff\xfe", Stealer);
    write(tree / "new\nline", "x");
    write(tree / "-rf", "x");
    write(tree / " spaced ", "x");
    write(tree / std::string(255, 'n'), "x");
    test::makeSparse(tree / "sparse", 5ULL << 30, Stealer);
    test::writeDeep(tree / "shallow", 17, "x");
    // The first folder of the chain whose path the system cannot take is the one reported.
    fs::path tooLong = tree / "shallow";
    while (tooLong.native().size() < 4096) {
        tooLong /= std::string(250, 'd');
    }

    std::ostringstream out;
    std::ostringstream err;
    const auto start = std::chrono::steady_clock::now();
    const int status =
        cli::RunCommandLine({"trovik-scan", "-r", "-j", "3", tree}, out, err, systemFileService());
    EXPECT_LT(std::chrono::steady_clock::now() - start, TimeBound);
    const std::string t = tree.native() + "/";
    EXPECT_EQ(out.str(), t + " spaced : CLEAN\n" + t + "-rf: CLEAN\n" + t + "b/1.txt: CLEAN\n" + t +
                             "b/2.txt: PASSWORD STEALER\n" + t + "linked-file: CLEAN\n" + t +
                             "new\nline: CLEAN\n" + t + std::string(255, 'n') + ": CLEAN\n" + t +
                             "shallow/file: CLEAN\n" + t + "sparse: PASSWORD STEALER\n" + t +
                             "\xff\xfe: PASSWORD STEALER\n");
    EXPECT_EQ(err.str(), "trovik-scan: " + t + "dangling: No such file or directory\n" +
                             "trovik-scan: " + t + "loop: Too many levels of symbolic links\n" +
                             "trovik-scan: " + tooLong.native() + ": File name too long\n");
    EXPECT_EQ(status, cli::StealerFound);
    test::removeTree(tree);
}

// Files that change under the scan. The timing of a real race cannot be forced, so a file service
// around the real one changes the real file at a chosen step: before the open, or between reads.
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
