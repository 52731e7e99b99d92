#include <gtest/gtest.h>

#include "scan/ScanCommand.h"
#include "support/FakeFileService.h"
#include "support/RecordingMessageBox.h"

namespace trovik {
namespace {

using test::Shown;
using namespace std::string_literals;

// A click on a file list entry of `folder` named `file` at `index`, over a file service whose
// open fails with `openError`, or whose second read fails with `readError`, 4 bytes a read.
struct CommandCase {
    const char* name;
    const char* folder;
    const char* file;
    std::int64_t index;
    std::string content;
    std::error_code openError;
    std::error_code readError;
    const char* text;  // of the one box
    MessageIcon icon;
    const char* opened;  // the path opened, or nullptr when nothing is
    int openWhileShown;  // files the scan holds open while the box is up
};

class ScanCommandTest : public testing::TestWithParam<CommandCase> {};

// Each case is clicked twice: a second click is a scan of its own.
TEST_P(ScanCommandTest, OneBoxAClickAndTheFileClosedAfterIt) {
    const CommandCase& c = GetParam();
    test::FakeFileService files;
    files.content = c.content;
    files.openError = c.openError;
    files.readError = c.readError;
    files.failOnRead = 1;
    files.chunk = 4;
    test::RecordingMessageBox messages;
    std::vector<int> openWhileShown;
    messages.whileShown = [&](const Shown&) { openWhileShown.push_back(files.openFiles); };

    ScanCommand({c.folder, c.file, c.index}, messages, files);
    ScanCommand({c.folder, c.file, c.index}, messages, files);

    const Shown box{c.text, c.icon};
    EXPECT_EQ(messages.shown, (test::Boxes{box, box}));
    EXPECT_EQ(openWhileShown, (std::vector<int>{c.openWhileShown, c.openWhileShown}));
    const auto opened = c.opened != nullptr ? std::vector<std::filesystem::path>{c.opened, c.opened}
                                            : std::vector<std::filesystem::path>{};
    EXPECT_EQ(files.opened, opened);
    EXPECT_EQ(files.openFiles, 0);
}

const std::error_code None;
constexpr auto Critical = MessageIcon::Critical;

INSTANTIATE_TEST_SUITE_P(
    Fake, ScanCommandTest,
    testing::Values(CommandCase{"NothingSelected", "/tmp", "", -1, "", None, None,
                                "No file selected!", Critical, nullptr, 0},
                    // Any entry of any folder: the index is not held in 16 bits.
                    CommandCase{"CleanByItsBareName", "/tmp", "setup.exe", 999'999,
                                "nothing to see", None, None, "setup.exe is CLEAN!",
                                MessageIcon::Information, "/tmp/setup.exe", 1},
                    CommandCase{"StealerAtTheRoot", "/", "pws.exe", 3, "MZ\0\0sExStOrY"s, None,
                                None, "pws.exe is a PASSWORD STEALER!", Critical, "/pws.exe", 1},
                    CommandCase{"OpenRefused", "/home/u", "secret.doc", 0, "SEXSTORY",
                                test::systemError(EACCES), None,
                                "secret.doc could not be scanned!\r\rPermission denied", Critical,
                                "/home/u/secret.doc", 0},
                    // The read fails after half a signature has arrived.
                    CommandCase{"ReadFails", "/home/u", "disk.img", 0, "SEXSTORY", None,
                                test::systemError(EIO),
                                "disk.img could not be scanned!\r\rInput/output error", Critical,
                                "/home/u/disk.img", 1}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace trovik
