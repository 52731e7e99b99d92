// trovik-scan reads the same, whether its reads are batched or not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

// Where the kernel refuses a ring (an old kernel or a sandbox: ENOSYS; io_uring_disabled or a
// sandbox: EPERM; a limit on memory: ENOMEM), trovik-scan reads one file at a time, and where the
// limit on open descriptors is low it reads in smaller batches: either way it prints exactly what
// it prints otherwise. strace (which scripts/install-deps.sh installs) makes the kernel's answer.
TEST(BatchedReads, RefusedOrNarrowRingChangesNothingInTheOutput) {
    test::TempDir dir;
    for (std::size_t i = 0; i < 100; ++i) {
        dir.write("tree/f" + std::to_string(i),
                  i % 7 == 0 ? "SEXSTORY" : std::string(i * 400, 'x'));
    }
    const std::vector<std::string> scan{
        test::siblingProgram(TROVIK_SCAN_PROGRAM), "-r", "-j", "2", "tree", "missing"};
    const test::ProgramRun normal = test::runProgram(scan, dir.path());
    EXPECT_EQ(normal.status, 1);
    // LeakSanitizer cannot work under strace.
    const std::string strace =
        "/usr/bin/env ASAN_OPTIONS=detect_leaks=0 /usr/bin/strace -f -qq -o "
        "/dev/null -e inject=io_uring_setup:error=";
    for (const std::string& wrapper : {strace + "ENOSYS", strace + "EPERM", strace + "ENOMEM",
                                       std::string("/usr/bin/prlimit --nofile=30")}) {
        SCOPED_TRACE(wrapper);
        std::vector<std::string> command{"/bin/sh", "-c", wrapper + " \"$@\"", "sh"};
        command.insert(command.end(), scan.begin(), scan.end());
        const test::ProgramRun run = test::runProgram(command, dir.path());
        EXPECT_EQ(run.out, normal.out);
        EXPECT_EQ(run.err, normal.err);
        EXPECT_EQ(run.status, normal.status);
    }
}

}  // namespace
}  // namespace trovik
