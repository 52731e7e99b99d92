// The batch reader on one batch that holds every kind of path at once: each file gets its own
// bytes or its own reason, whatever order the ring completes them in, and no descriptor is left.
// Batches under a low limit on descriptors are met by the command-line tests, which run trovik-scan
// under one and lose no file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostile/HostileFiles.h"
#include "platform/io/BatchReader.h"
#include "platform/io/FileErrors.h"
#include "support/FakeFileService.h"
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

}  // namespace
}  // namespace trovik
