// The real trovik-scan program on hostile paths, each run killed if it outlives its bound. A file
// in /proc, which reports a length of 0, is read to its end in the scan's and the batch reader's
// tests.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "support/HangBound.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

namespace fs = std::filesystem;
using test::HangBound;

// The program as an unprivileged user: root reads every file and ignores limits on processes, so
// as root it runs as "nobody" through setpriv, from a copy in a folder that user may enter.
class ScanProgramAsUser : public testing::Test {
protected:
    test::TempDir dir;
    std::vector<std::string> command;  // what runs the program as the user

    void SetUp() override {
        const auto shared = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec;
        fs::permissions(dir.path(), shared);
        const auto program = dir / "trovik-scan";
        fs::copy_file(TROVIK_SCAN_PROGRAM, program);
        fs::permissions(program, shared);
        fs::permissions(dir.write("open.txt", "x"), fs::perms::owner_read | fs::perms::others_read);

        command = {program};
        if (::geteuid() == 0) {
            command = {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
                       program};
        }
        // Whether the user can reach the folder at all is asked of a program that is not under
        // test: a trovik-scan that fails its control run fails the test, it is not skipped.
        std::vector<std::string> reach(command.begin(), command.end() - 1);
        reach.insert(reach.end(), {"/bin/cat", "open.txt"});
        if (test::runProgram(reach, dir.path(), HangBound).out != "x") {
            GTEST_SKIP() << "the unprivileged user cannot read files in " << dir.path();
        }
        const auto control = run({"open.txt"});
        ASSERT_EQ(control.out, "open.txt: CLEAN\n")
            << "status " << control.status << ": " << control.err;
    }

    test::ProgramRun run(const std::vector<std::string>& arguments,
                         const std::vector<std::string>& prefix = {}) {
        std::vector<std::string> argv = prefix;
        argv.insert(argv.end(), command.begin(), command.end());
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return test::runProgram(argv, dir.path(), HangBound);
    }
};

TEST_F(ScanProgramAsUser, FileAndFolderWithoutReadPermissionAreReportedNotClean) {
    fs::permissions(dir.write("secret.exe", "SEXSTORY"), fs::perms::none);
    dir.write("tree/a.txt", "x");
    dir.write("tree/locked/inside.exe", "SEXSTORY");
    dir.write("tree/z.txt", "x");
    fs::permissions(dir / "tree",
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(dir / "tree/locked", fs::perms::owner_all);
    const auto result = run({"open.txt", "secret.exe", "-r", "tree"});
    ASSERT_FALSE(result.hung);
    EXPECT_EQ(result.out, "open.txt: CLEAN\ntree/a.txt: CLEAN\ntree/z.txt: CLEAN\n");
    EXPECT_EQ(result.err,
              "trovik-scan: secret.exe: Permission denied\n"
              "trovik-scan: tree/locked: Permission denied\n");
    EXPECT_EQ(result.status, 2);
}

// A limit on the user's processes refuses some or all of the threads asked for with -j: the scan
// goes on with the threads it got, or on the main thread alone, and never aborts.
TEST_F(ScanProgramAsUser, ThreadsTheSystemRefusesAreDoneWithout) {
    std::string expected;
    for (int i = 0; i < 40; ++i) {
        const std::string name = "tree/f" + std::to_string(100 + i);
        dir.write(name, i % 10 == 3 ? "SEXSTORY" : "x");
        expected += name + (i % 10 == 3 ? ": PASSWORD STEALER\n" : ": CLEAN\n");
    }
    fs::permissions(dir / "tree",
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    // LeakSanitizer needs a thread of its own at exit, which the limit refuses too.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    const std::string noLeakCheck =
        "ASAN_OPTIONS=" + std::string(sanitizer != nullptr ? sanitizer : "") + ":detect_leaks=0";
    for (const char* limit : {"--nproc=1", "--nproc=2", "--nproc=3"}) {
        SCOPED_TRACE(limit);
        const auto result = run({"-r", "-j", "16", "tree"},
                                {"/usr/bin/env", noLeakCheck, "/usr/bin/prlimit", limit});
        ASSERT_FALSE(result.hung);
        EXPECT_EQ(result.out, expected);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.status, 1);
    }
}

}  // namespace
}  // namespace trovik
