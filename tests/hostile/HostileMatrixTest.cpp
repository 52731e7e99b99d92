// Every kind of path a user's disk can hold, through the scan command and through trovik-scan:
// each gives its verdict or the system's reason within a bound, and none blocks.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>

#include "cli/CommandLine.h"
#include "hostile/HostileFiles.h"
#include "scan/ScanCommand.h"
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

    static std::string bytes(const fs::path& path) { return path.native(); }
};

TEST_P(HostileMatrix, ScanCommandShowsTheVerdictOrTheReason) {
    const HostileCase& c = GetParam();
    const fs::path path = c.make(dir.path());
    const std::string name = bytes(path.filename());
    RecordingMessages messages;

    const auto start = std::chrono::steady_clock::now();
    ScanCommand({path.parent_path(), path.filename(), 0}, messages, systemFileService());
    EXPECT_LT(std::chrono::steady_clock::now() - start, TimeBound);

    ASSERT_EQ(messages.shown.size(), 1U);
    switch (c.kind) {
        case Kind::Clean:
            EXPECT_EQ(messages.shown[0].first, name + " is CLEAN!");
            EXPECT_EQ(messages.shown[0].second, MessageIcon::Information);
            break;
        case Kind::PasswordStealer:
            EXPECT_EQ(messages.shown[0].first, name + " is a PASSWORD STEALER!");
            EXPECT_EQ(messages.shown[0].second, MessageIcon::Critical);
            break;
        case Kind::Unreadable:
            EXPECT_EQ(messages.shown[0].first,
                      name + " could not be scanned!\r\r" + c.commandReason);
            EXPECT_EQ(messages.shown[0].second, MessageIcon::Critical);
            break;
    }
}

TEST_P(HostileMatrix, TrovikScanPrintsTheVerdictOrTheReason) {
    const HostileCase& c = GetParam();
    const std::string path = bytes(c.make(dir.path()));
    std::ostringstream out;
    std::ostringstream err;

    const auto start = std::chrono::steady_clock::now();
    const int status =
        cli::RunCommandLine({"trovik-scan", "-j", "2", "--", path}, out, err, systemFileService());
    EXPECT_LT(std::chrono::steady_clock::now() - start, TimeBound);

    switch (c.kind) {
        case Kind::Clean:
            EXPECT_EQ(out.str(), path + ": CLEAN\n");
            EXPECT_EQ(err.str(), "");
            EXPECT_EQ(status, cli::AllClean);
            break;
        case Kind::PasswordStealer:
            EXPECT_EQ(out.str(), path + ": PASSWORD STEALER\n");
            EXPECT_EQ(err.str(), "");
            EXPECT_EQ(status, cli::StealerFound);
            break;
        case Kind::Unreadable:
            EXPECT_EQ(out.str(), "");
            EXPECT_EQ(err.str(), "trovik-scan: " + path + ": " +
                                     (c.cliReason.empty() ? c.commandReason : c.cliReason) + "\n");
            EXPECT_EQ(status, cli::NotAllScanned);
            break;
    }
}

fs::path write(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

const std::string NotRegular = "Not a regular file";
const std::string Stealer = filler(2000, "cHaNgE yOuR pAsSwOrD", 1000);

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
    {"Folder",
     [](const fs::path& d) {
         fs::create_directory(d / "folder");
         return d / "folder";
     },
     Kind::Unreadable, "Is a directory", ""},
    {"DanglingLink",
     [](const fs::path& d) {
         fs::create_symlink(d / "nowhere", d / "dangling");
         return d / "dangling";
     },
     Kind::Unreadable, "No such file or directory", ""},
    {"LinkLoop",
     [](const fs::path& d) {
         fs::create_symlink("b", d / "a");
         fs::create_symlink("a", d / "b");
         return d / "a";
     },
     Kind::Unreadable, "Too many levels of symbolic links", ""},
    {"LinkToFifo",
     [](const fs::path& d) {
         fs::create_symlink(test::makeFifo(d / "fifo"), d / "link");
         return d / "link";
     },
     Kind::Unreadable, NotRegular, ""},
    {"LinkToStealer",
     [](const fs::path& d) {
         fs::create_symlink(write(d / "pws", Stealer), d / "link");
         return d / "link";
     },
     Kind::PasswordStealer, "", ""},
    {"RemovedAfterListing",
     [](const fs::path& d) {
         fs::remove(write(d / "gone.exe", Stealer));
         return d / "gone.exe";
     },
     Kind::Unreadable, "No such file or directory", ""},
    {"Sparse3GiBSignatureInWindow",
     [](const fs::path& d) { return test::makeSparse(d / "3g", 3ULL << 30, Stealer); },
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
    {"PathLongerThan4096Bytes",
     [](const fs::path& d) {
         const auto deep = test::makeDeepFolders(d, 17);
         test::writeDeep(deep, "f", Stealer);
         return deep / "f";
     },
     Kind::Unreadable, "File name too long", ""},
};

INSTANTIATE_TEST_SUITE_P(Paths, HostileMatrix, testing::ValuesIn(Cases),
                         [](const auto& param) { return std::string(param.param.name); });

// A /proc file reports a length of 0 and still has content: the scan reads what arrives. The
// thread's own name is the content we can put a signature into.
TEST(ProcFile, LengthZeroButContentIsReadToItsEnd) {
    const test::ThreadNameOverride name("x SEXSTORY");
    const fs::path comm = "/proc/self/comm";
    struct stat status {};
    ASSERT_EQ(::stat(comm.c_str(), &status), 0);
    ASSERT_EQ(status.st_size, 0);

    RecordingMessages messages;
    ScanCommand({"/proc/self", "comm", 0}, messages, systemFileService());
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_EQ(messages.shown[0].first, "comm is a PASSWORD STEALER!");

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(
        cli::RunCommandLine({"trovik-scan", "/proc/self/comm"}, out, err, systemFileService()),
        cli::StealerFound);
    EXPECT_EQ(out.str(), "/proc/self/comm: PASSWORD STEALER\n");
}

// A walk through a folder that holds all of the above at once: every file is scanned, every
// path that cannot be is reported, special files are passed over, and nothing blocks.
TEST(HostileWalk, EveryFileIsScannedOrReported) {
    test::TempDir dir;
    const fs::path tree = dir / "tree";
    fs::create_directory(tree);
    test::makeFifo(tree / "fifo");
    test::makeSocket(tree / "socket");
    fs::create_symlink("fifo", tree / "link-to-fifo");
    fs::create_symlink("nowhere", tree / "dangling");
    fs::create_symlink("loop", tree / "loop");
    fs::create_symlink("/dev/zero", tree / "link-to-zero");
    write(tree / "\xff\xfe", Stealer);
    write(tree / "new\nline", "x");
    write(tree / "-rf", "x");
    write(tree / " spaced ", "x");
    write(tree / std::string(255, 'n'), "x");
    test::makeSparse(tree / "sparse", 5ULL << 30, Stealer);
    dir.write("tree/shallow/file", "x");
    const auto deep = test::makeDeepFolders(tree / "shallow", 17);
    test::writeDeep(deep, "f", "x");
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
    EXPECT_EQ(out.str(), t + " spaced : CLEAN\n" + t + "-rf: CLEAN\n" + t + "new\nline: CLEAN\n" +
                             t + std::string(255, 'n') + ": CLEAN\n" + t + "shallow/file: CLEAN\n" +
                             t + "sparse: PASSWORD STEALER\n" + t + "\xff\xfe: PASSWORD STEALER\n");
    EXPECT_EQ(err.str(), "trovik-scan: " + t + "dangling: No such file or directory\n" +
                             "trovik-scan: " + t + "loop: Too many levels of symbolic links\n" +
                             "trovik-scan: " + tooLong.native() + ": File name too long\n");
    EXPECT_EQ(status, cli::StealerFound);
    test::removeTree(tree);
}

}  // namespace
}  // namespace trovik
