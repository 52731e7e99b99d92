#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <stdexcept>

#include "platform/io/FileErrors.h"
#include "scan/ScanCommand.h"
#include "support/FakeFileService.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

struct Shown {
    std::string text;
    MessageIcon icon;
    int openFilesMeanwhile;

    friend bool operator==(const Shown&, const Shown&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Shown& shown) {
        return out << '"' << shown.text << "\" icon " << static_cast<int>(shown.icon) << " open "
                   << shown.openFilesMeanwhile;
    }
};

// Records each box, and how many files the scan held open while the box was up.
class RecordingMessages final : public MessageBoxService {
public:
    explicit RecordingMessages(const test::FakeFileService& files) : m_files(files) {}
    void show(std::string_view text, MessageIcon icon) override {
        shown.push_back({std::string(text), icon, m_files.openFiles});
        if (throwOnShow) {
            throw std::runtime_error("the box failed");
        }
    }
    std::vector<Shown> shown;
    bool throwOnShow = false;

private:
    const test::FakeFileService& m_files;
};

class ScanCommandTest : public testing::Test {
protected:
    test::FakeFileService files;
    RecordingMessages messages{files};

    void run(std::filesystem::path folder, std::filesystem::path name, std::int64_t index) {
        ScanCommand({std::move(folder), std::move(name), index}, messages, files);
    }
};

TEST_F(ScanCommandTest, NothingSelectedSaysSoAndOpensNothing) {
    run("/tmp", "", -1);
    EXPECT_EQ(messages.shown,
              (std::vector<Shown>{{"No file selected!", MessageIcon::Critical, 0}}));
    EXPECT_TRUE(files.opened.empty());
}

// Any entry of any folder, however large: the index is not held in 16 bits. A second click is a
// scan of its own.
TEST_F(ScanCommandTest, CleanFileIsNamedByItsBareName) {
    files.content = "nothing to see";
    run("/tmp", "setup.exe", 999'999);
    run("/tmp", "setup.exe", 999'999);
    const Shown clean{"setup.exe is CLEAN!", MessageIcon::Information, 1};
    EXPECT_EQ(messages.shown, (std::vector<Shown>{clean, clean}));
    EXPECT_EQ(files.opened,
              (std::vector<std::filesystem::path>{"/tmp/setup.exe", "/tmp/setup.exe"}));
    EXPECT_EQ(files.openFiles, 0);
}

TEST_F(ScanCommandTest, StealerIsReportedWithTheCriticalIcon) {
    files.content = std::string("MZ\0\0", 4) + "sExStOrY";
    run("/", "pws.exe", 3);
    EXPECT_EQ(messages.shown,
              (std::vector<Shown>{{"pws.exe is a PASSWORD STEALER!", MessageIcon::Critical, 1}}));
    EXPECT_EQ(files.opened, (std::vector<std::filesystem::path>{"/pws.exe"}));
}

TEST_F(ScanCommandTest, UnreadableFileIsNeverCalledClean) {
    files.openError = test::systemError(EACCES);
    run("/home/u", "secret.doc", 0);
    EXPECT_EQ(messages.shown,
              (std::vector<Shown>{{"secret.doc could not be scanned!\r\rPermission denied",
                                   MessageIcon::Critical, 0}}));

    // A read that fails after half a signature has arrived.
    files.openError = {};
    files.content = "SEXSTORY";
    files.chunk = 4;
    files.failOnRead = 1;
    files.readError = test::systemError(EIO);
    run("/home/u", "disk.img", 0);
    ASSERT_EQ(messages.shown.size(), 2U);
    EXPECT_EQ(messages.shown[1].text, "disk.img could not be scanned!\r\rInput/output error");
    EXPECT_EQ(files.openFiles, 0);
    EXPECT_EQ(files.closes, 1);
}

TEST_F(ScanCommandTest, FileIsClosedEvenWhenTheBoxFails) {
    files.content = "clean";
    messages.throwOnShow = true;
    EXPECT_THROW(run("/tmp", "a", 0), std::runtime_error);
    EXPECT_EQ(files.openFiles, 0);
}

// The real file service under the command: a vanished file, a folder and, on Windows, a file
// another program holds without sharing it are reported in the system's words, never as CLEAN.
TEST(ScanCommandOnDisk, UnreadableIsReportedInTheSystemsWords) {
    test::TempDir dir;
    test::FakeFileService unused;
    RecordingMessages messages{unused};
    dir.write("sub/keep", "x");
    ScanCommand({dir.path(), "vanished.exe", 0}, messages, systemFileService());
    ScanCommand({dir.path(), "sub", 1}, messages, systemFileService());
#ifdef _WIN32
    const auto locked = dir.write("locked.exe", "x");
    const HANDLE other = ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    ScanCommand({dir.path(), "locked.exe", 2}, messages, systemFileService());
    ::CloseHandle(other);
    const auto reason = std::error_code(ERROR_SHARING_VIOLATION, windowsErrorCategory()).message();
    ASSERT_EQ(messages.shown.size(), 3U);
    EXPECT_EQ(messages.shown[2],
              (Shown{"locked.exe could not be scanned!\r\r" + reason, MessageIcon::Critical, 0}));
    // ERROR_FILE_NOT_FOUND, in the words of the system at hand.
    const std::string vanished = std::error_code(2, windowsErrorCategory()).message();
#else
    const std::string vanished = "No such file or directory";
#endif
    ASSERT_GE(messages.shown.size(), 2U);
    EXPECT_EQ(messages.shown[0].text, "vanished.exe could not be scanned!\r\r" + vanished);
    EXPECT_EQ(messages.shown[1].text, "sub could not be scanned!\r\rIs a directory");
}

}  // namespace
}  // namespace trovik
