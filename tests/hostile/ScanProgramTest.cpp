// The real trovik-scan program on hostile paths, each run killed if it outlives its bound.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "hostile/HostileFiles.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::filler;

constexpr auto TimeBound = 10s;

struct ProgramCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string out;
    std::string err;
    int status;
};

class ScanProgram : public testing::TestWithParam<ProgramCase> {
protected:
    static void SetUpTestSuite() {
        s_dir = new test::TempDir;  // NOLINT: shared by the cases, removed in TearDownTestSuite
        const auto& d = *s_dir;
        test::makeFifo(d / "fifo");
        fs::create_symlink("fifo", d / "link-to-fifo");
        d.write("tree/clean", "x");
        d.write("tree/pws", "SEXSTORY");
        test::makeFifo(d / "tree/fifo");
        test::makeSparse(d / "sparse", 5ULL << 30, filler(100, "Change Your Password", 10));
        test::writeDeep(test::makeDeepFolders(d.path(), 17), "f", "x");
    }
    static void TearDownTestSuite() {
        test::removeTree(s_dir->path());
        delete s_dir;
    }
    static test::TempDir* s_dir;
};
test::TempDir* ScanProgram::s_dir = nullptr;

TEST_P(ScanProgram, EndsInTimeWithTheExpectedReport) {
    const ProgramCase& c = GetParam();
    std::vector<std::string> argv{TROVIK_SCAN_PROGRAM};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());

    const test::ProgramRun run = test::runProgram(argv, s_dir->path(), TimeBound);
    ASSERT_FALSE(run.hung) << "killed after " << run.took.count() << " ms";
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.status, c.status);
}

const std::string Deep = [] {
    std::string path = ".";
    while (path.size() < 4096) {
        path += "/" + std::string(250, 'd');
    }
    return path;
}();

INSTANTIATE_TEST_SUITE_P(
    Paths, ScanProgram,
    testing::Values(
        ProgramCase{
            "FifoWithoutWriter", {"fifo"}, "", "trovik-scan: fifo: Not a regular file\n", 2},
        ProgramCase{"LinkToFifo",
                    {"link-to-fifo"},
                    "",
                    "trovik-scan: link-to-fifo: Not a regular file\n",
                    2},
        ProgramCase{"Devices",
                    {"/dev/zero", "/dev/urandom", "/dev/null"},
                    "",
                    "trovik-scan: /dev/zero: Not a regular file\n"
                    "trovik-scan: /dev/urandom: Not a regular file\n"
                    "trovik-scan: /dev/null: Not a regular file\n",
                    2},
        ProgramCase{"WalkPassesOverAFifo",
                    {"-r", "tree"},
                    "tree/clean: CLEAN\ntree/pws: PASSWORD STEALER\n",
                    "",
                    1},
        ProgramCase{"Sparse5GiB", {"sparse"}, "sparse: PASSWORD STEALER\n", "", 1},
        // The program's own command line is a /proc file of length 0 that holds the signature.
        ProgramCase{"ProcFileOfLengthZero",
                    {"/proc/self/cmdline", "SEXSTORY"},
                    "/proc/self/cmdline: PASSWORD STEALER\n",
                    "trovik-scan: SEXSTORY: No such file or directory\n",
                    1},
        // The walk meets the FIFOs, the link to one, the sparse file and the too deep folder.
        ProgramCase{
            "WalkOfEverything",
            {"-r", "."},
            "./sparse: PASSWORD STEALER\n./tree/clean: CLEAN\n./tree/pws: PASSWORD STEALER\n",
            "trovik-scan: " + Deep + ": File name too long\n",
            1},
        ProgramCase{"LeadingDashAfterDoubleDash",
                    {"--", "-j"},
                    "",
                    "trovik-scan: -j: No such file or directory\n",
                    2}),
    [](const auto& param) { return std::string(param.param.name); });

// A file its owner cannot read. Root reads everything, so as root the program runs as the
// unprivileged user "nobody" through setpriv, from a copy that user may run.
TEST(ScanProgramAsUser, FileWithoutReadPermissionIsReportedNotClean) {
    test::TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    const auto program = dir / "trovik-scan";
    fs::copy_file(TROVIK_SCAN_PROGRAM, program);
    fs::permissions(program, fs::perms::owner_all | fs::perms::others_read |
                                 fs::perms::others_exec | fs::perms::group_read |
                                 fs::perms::group_exec);
    fs::permissions(dir.write("secret.exe", "SEXSTORY"), fs::perms::none);
    fs::permissions(dir.write("open.txt", "x"), fs::perms::owner_read | fs::perms::others_read);

    std::vector<std::string> argv{program};
    if (::geteuid() == 0) {
        const char* setpriv = "/usr/bin/setpriv";
        if (::access(setpriv, X_OK) != 0) {
            GTEST_SKIP() << "running as root without " << setpriv
                         << ": no way to run the program as an unprivileged user";
        }
        argv = {setpriv, "--reuid=nobody", "--regid=nogroup", "--clear-groups", program};
    }
    // First a file the user can read: proves the program ran as that user at all.
    auto control = argv;
    control.push_back("open.txt");
    const auto readable = test::runProgram(control, dir.path(), TimeBound);
    if (readable.out != "open.txt: CLEAN\n") {
        GTEST_SKIP() << "the unprivileged user cannot run " << program << " in " << dir.path()
                     << " (status " << readable.status << ": " << readable.err << ")";
    }

    argv.insert(argv.end(), {"open.txt", "secret.exe"});
    const auto run = test::runProgram(argv, dir.path(), TimeBound);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.out, "open.txt: CLEAN\n");
    EXPECT_EQ(run.err, "trovik-scan: secret.exe: Permission denied\n");
    EXPECT_EQ(run.status, 2);
}

}  // namespace
}  // namespace trovik
