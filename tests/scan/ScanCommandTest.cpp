#include <gtest/gtest.h>

#ifdef _WIN32
#include "support/OwnedHandle.h"
#endif

#include <stdexcept>

#include "platform/io/FileErrors.h"
#include "scan/ScanCommand.h"
#include "support/FakeFileService.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

using test::Shown;
using namespace std::string_literals;

struct CommandCase {
    const char* name;
    FileSelection selection;
    std::string content;
    std::error_code openError;
    std::error_code readError;  // of the second read, each read giving at most 4 bytes
    Shown box;
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

    ScanCommand(c.selection, messages, files);
    ScanCommand(c.selection, messages, files);

    EXPECT_EQ(messages.shown, (test::Boxes{c.box, c.box}));
    EXPECT_EQ(openWhileShown, (std::vector<int>{c.openWhileShown, c.openWhileShown}));
    const auto opened = c.opened != nullptr ? std::vector<std::filesystem::path>{c.opened, c.opened}
                                            : std::vector<std::filesystem::path>{};
    EXPECT_EQ(files.opened, opened);
    EXPECT_EQ(files.openFiles, 0);
    EXPECT_EQ(files.closes, c.openWhileShown * 2);
}

INSTANTIATE_TEST_SUITE_P(
    Fake, ScanCommandTest,
    testing::Values(CommandCase{"NothingSelected",
                                {"/tmp", "", -1},
                                "",
                                {},
                                {},
                                {"No file selected!", MessageIcon::Critical},
                                nullptr,
                                0},
                    // Any entry of any folder: the index is not held in 16 bits.
                    CommandCase{"CleanByItsBareName",
                                {"/tmp", "setup.exe", 999'999},
                                "nothing to see",
                                {},
                                {},
                                {"setup.exe is CLEAN!", MessageIcon::Information},
                                "/tmp/setup.exe",
                                1},
                    CommandCase{"StealerAtTheRoot",
                                {"/", "pws.exe", 3},
                                "MZ\0\0sExStOrY"s,
                                {},
                                {},
                                {"pws.exe is a PASSWORD STEALER!", MessageIcon::Critical},
                                "/pws.exe",
                                1},
                    CommandCase{"OpenRefused",
                                {"/home/u", "secret.doc", 0},
                                "SEXSTORY",
                                test::systemError(EACCES),
                                {},
                                {"secret.doc could not be scanned!\r\rPermission denied",
                                 MessageIcon::Critical},
                                "/home/u/secret.doc",
                                0},
                    // The read fails after half a signature has arrived.
                    CommandCase{"ReadFails",
                                {"/home/u", "disk.img", 0},
                                "SEXSTORY",
                                {},
                                test::systemError(EIO),
                                {"disk.img could not be scanned!\r\rInput/output error",
                                 MessageIcon::Critical},
                                "/home/u/disk.img",
                                1}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ScanCommandBoxFails, FileIsClosedAllTheSame) {
    test::FakeFileService files;
    files.content = "clean";
    test::RecordingMessageBox messages;
    messages.whileShown = [](const Shown&) { throw std::runtime_error("the box failed"); };
    EXPECT_THROW(ScanCommand({"/tmp", "a", 0}, messages, files), std::runtime_error);
    EXPECT_EQ(files.openFiles, 0);
}

// The real file service under the command: a vanished file, a folder and, on Windows, a file
// another program holds without sharing it are reported in the system's words, never as CLEAN.
TEST(ScanCommandOnDisk, UnreadableIsReportedInTheSystemsWords) {
    test::TempDir dir;
    test::RecordingMessageBox messages;
    dir.write("sub/keep", "x");
    ScanCommand({dir.path(), "vanished.exe", 0}, messages, systemFileService());
    ScanCommand({dir.path(), "sub", 1}, messages, systemFileService());
#ifdef _WIN32
    const auto locked = dir.write("locked.exe", "x");
    {
        const test::OwnedHandle other(::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(other.valid());
        ScanCommand({dir.path(), "locked.exe", 2}, messages, systemFileService());
    }
    const auto reason = std::error_code(ERROR_SHARING_VIOLATION, windowsErrorCategory()).message();
    const auto vanished = std::error_code(ERROR_FILE_NOT_FOUND, windowsErrorCategory()).message();
    const test::Boxes more{
        {"locked.exe could not be scanned!\r\r" + reason, MessageIcon::Critical}};
#else
    const std::string vanished = "No such file or directory";
    const test::Boxes more;
#endif
    test::Boxes expected{
        {"vanished.exe could not be scanned!\r\r" + vanished, MessageIcon::Critical},
        {"sub could not be scanned!\r\rIs a directory", MessageIcon::Critical}};
    expected.insert(expected.end(), more.begin(), more.end());
    EXPECT_EQ(messages.shown, expected);
}

}  // namespace
}  // namespace trovik
