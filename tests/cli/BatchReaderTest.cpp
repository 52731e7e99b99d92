// The batch reader on one batch that holds every kind of path at once: each file gets its own
// bytes or its own reason, whatever order the ring completes them in, and no descriptor is left.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <memory>
#include <string>
#include <vector>

#include "hostile/HostileFiles.h"
#include "platform/io/BatchReader.h"
#include "platform/io/FileErrors.h"
#include "support/FakeFileService.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

namespace fs = std::filesystem;

struct Row {
    fs::path path;
    std::string content;  // the bytes expected in the window
    std::error_code error;
    bool readAlone = false;
};

TEST(BatchReader, EachFileGetsItsOwnBytesOrReason) {
    auto reader = makeSystemBatchReader();
    if (reader == nullptr) {
        GTEST_SKIP() << "the system offers no batched reads here";
    }
    test::TempDir dir;
    // Lengths around the window, each file of a letter of its own.
    std::vector<Row> rows;
    for (const std::size_t length : {1UL, 5UL, 4095UL, 31999UL, 32000UL, 32001UL, 100000UL}) {
        const std::string content(length, static_cast<char>('a' + rows.size()));
        rows.push_back(
            {dir.write("f" + std::to_string(length), content), content.substr(0, 32000), {}});
    }
    rows.push_back({dir.write("empty", ""), "", {}});
    rows.push_back({dir.write("folder/inside", "x").parent_path(), "", test::systemError(EISDIR)});
    rows.push_back({test::makeFifo(dir / "fifo"), "", make_error_code(FileError::NotRegularFile)});
    rows.push_back({"/dev/zero", "", make_error_code(FileError::NotRegularFile)});
    rows.push_back({test::makeSocket(dir / "socket"), "", test::systemError(ENXIO)});
    rows.push_back({dir / "missing", "", test::systemError(ENOENT)});
    // Reports a length of 0 and has more: the batch leaves it to the file service.
    rows.push_back({"/proc/self/status", "", {}, true});

    std::vector<std::string> windows(rows.size(), std::string(32000, '?'));
    std::vector<BatchRead> reads(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        reads[i].path = &rows[i].path;
        reads[i].window = std::as_writable_bytes(std::span(windows[i]));
    }
    const std::size_t before = test::openDescriptorCount();
    reader->read(reads);
    EXPECT_EQ(test::openDescriptorCount(), before);

    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].path);
        EXPECT_EQ(reads[i].error, rows[i].error);
        EXPECT_EQ(reads[i].readAlone, rows[i].readAlone);
        if (!rows[i].error && !rows[i].readAlone) {
            EXPECT_EQ(windows[i].substr(0, reads[i].received), rows[i].content);
        }
    }
}

// Under a low limit on open descriptors the readers of every thread, with their rings and their
// batches, still leave room for the rest of the program; where no batch of two fits, there is no
// reader. The limit is lowered for this test only.
TEST(BatchReader, BatchesFitTheDescriptorLimit) {
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const std::unique_ptr<rlimit, void (*)(rlimit*)> restore(
        &saved, [](rlimit* limit) { ::setrlimit(RLIMIT_NOFILE, limit); });
    if (makeSystemBatchReader() == nullptr) {
        GTEST_SKIP() << "the system offers no batched reads here";
    }
    const std::size_t inUse = test::openDescriptorCount();
    for (const auto& [limit, readers] : {std::pair{inUse + 30, 1UL}, std::pair{inUse + 40, 2UL},
                                         std::pair{inUse + 200, 4UL}, std::pair{inUse, 1UL}}) {
        SCOPED_TRACE(testing::Message() << "limit " << limit << ", readers " << readers);
        rlimit lowered = saved;
        lowered.rlim_cur = limit;
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
        const auto reader = makeSystemBatchReader(static_cast<unsigned>(readers));
        if (reader != nullptr) {
            EXPECT_GE(reader->capacity(), 2U);
            EXPECT_LE(inUse + readers * (reader->capacity() + 1), limit);
        } else {
            EXPECT_LT(limit, inUse + readers * 3) << "a batch of two would have fit";
        }
    }
}

// Where the kernel refuses a ring (an old kernel or a sandbox: ENOSYS; io_uring_disabled or a
// sandbox: EPERM; a limit on memory: ENOMEM), trovik-scan reads one file at a time, and where the
// limit on open descriptors is low it reads in smaller batches: either way it prints exactly what
// it prints otherwise. strace (which scripts/install-deps.sh installs) makes the kernel's answer.
TEST(BatchReader, RefusedOrNarrowRingChangesNothingInTheOutput) {
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
