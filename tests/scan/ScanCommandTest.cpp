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
    const char* folder;
    const char* file;
    std::int64_t index;
    std::string content;
    std::error_code openError;
    std::error_code readError;
    const char* opened;  // the path opened, or "" when nothing is
    int openWhileShown;  // files the scan holds open while the box is up
    const char* text;    // of the one box
    MessageIcon icon;
};

// Each case is clicked twice: a second click is a scan of its own.
TEST(ScanCommand, OneBoxAClickAndTheFileClosedAfterIt) {
    const std::error_code none;
    constexpr auto Critical = MessageIcon::Critical;
    const CommandCase cases[] = {
        {"/tmp", "", -1, "", none, none, "", 0, "No file selected!", Critical},
        // Any entry of any folder: the index is not held in 16 bits.
        {"/tmp", "setup.exe", 999'999, "nothing to see", none, none, "/tmp/setup.exe", 1,
         "setup.exe is CLEAN!", MessageIcon::Information},
        {"/", "pws.exe", 3, "MZ\0\0sExStOrY"s, none, none, "/pws.exe", 1,
         "pws.exe is a PASSWORD STEALER!", Critical},
        {"/home/u", "secret.doc", 0, "SEXSTORY", test::systemError(EACCES), none,
         "/home/u/secret.doc", 0, "secret.doc could not be scanned!\r\rPermission denied",
         Critical},
        // The read fails after half a signature has arrived.
        {"/home/u", "disk.img", 0, "SEXSTORY", none, test::systemError(EIO), "/home/u/disk.img", 1,
         "disk.img could not be scanned!\r\rInput/output error", Critical},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.text);
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

        EXPECT_EQ(messages.shown, (test::Boxes{{c.text, c.icon}, {c.text, c.icon}}));
        EXPECT_EQ(openWhileShown, (std::vector<int>{c.openWhileShown, c.openWhileShown}));
        EXPECT_EQ(files.opened,
                  std::vector<std::filesystem::path>(*c.opened != 0 ? 2 : 0, c.opened));
        EXPECT_EQ(files.openFiles, 0);
    }
}

}  // namespace
}  // namespace trovik
