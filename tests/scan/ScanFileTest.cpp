#include <gtest/gtest.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <chrono>

#include "platform/io/FileErrors.h"
#include "scan/ScanFile.h"
#include "scan/SignatureMatcher.h"
#include "support/FakeFileService.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

using test::filler;
using Kind = ScanVerdict::Kind;

ScanVerdict scanReal(const std::filesystem::path& path) {
    return ScanFile(path, systemFileService()).verdict();
}

// The scan window on real files: its length, its edge, and what a file's size does to it.
class ScanWindowTest : public testing::Test {
protected:
    test::TempDir dir;
};

TEST_F(ScanWindowTest, EmptyFileIsClean) {
    EXPECT_EQ(scanReal(dir.write("empty", "")), ScanVerdict::clean());
}

TEST_F(ScanWindowTest, SignatureEndingAtTheLastByteOfTheWindowCounts) {
    // A file of exactly 32000 bytes, and a longer one, with SEXSTORY at bytes 31993 to 32000.
    EXPECT_EQ(scanReal(dir.write("exact", filler(32000, "SEXSTORY", 31992))).kind,
              Kind::PasswordStealer);
    EXPECT_EQ(scanReal(dir.write("long", filler(40000, "SEXSTORY", 31992))).kind,
              Kind::PasswordStealer);
}

TEST_F(ScanWindowTest, SignatureRunningPastTheWindowDoesNot) {
    EXPECT_EQ(scanReal(dir.write("straddle", filler(40000, "SEXSTORY", 31993))).kind, Kind::Clean);
    EXPECT_EQ(scanReal(dir.write("beyond", filler(40000, "SEXSTORY", 32000))).kind, Kind::Clean);
}

TEST_F(ScanWindowTest, LargeAndSparseFilesAreScannedLikeAnyLongFile) {
    // 3 GiB without writing 3 GiB: a sparse file with the signature near its start.
    const auto path = dir.write("sparse", filler(1000, "change your password", 100));
    std::filesystem::resize_file(path, 3ULL << 30);
    EXPECT_EQ(scanReal(path).kind, Kind::PasswordStealer);
}

TEST_F(ScanWindowTest, NameOutsideAsciiIsScanned) {
    const auto path = dir.write(u8"na\u00efve caf\u00e9 \u540d\u524d \U0001F600.exe", "SEXSTORY");
    EXPECT_EQ(scanReal(path).kind, Kind::PasswordStealer);
}

TEST_F(ScanWindowTest, ReadOnlyFileIsScanned) {
    const auto path = dir.write("readonly", "SOFTWARE\\Borland\\Delphi\\RTL");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_EQ(scanReal(path).kind, Kind::PasswordStealer);
}

// Paths that are not regular files never read as CLEAN, and none of them blocks.
class UnreadableTest : public testing::Test {
protected:
    test::TempDir dir;

    void expectUnreadable(const std::filesystem::path& path, std::error_code why) {
        const auto start = std::chrono::steady_clock::now();
        const auto verdict = scanReal(path);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_EQ(verdict, ScanVerdict::unreadable(why)) << verdict.error.message();
    }
};

TEST_F(UnreadableTest, Folder) {
    expectUnreadable(dir.path(), test::systemError(EISDIR));
}

#ifndef _WIN32
TEST_F(UnreadableTest, MissingFile) {
    expectUnreadable(dir / "gone", test::systemError(ENOENT));
}

TEST_F(UnreadableTest, DanglingLink) {
    std::filesystem::create_symlink(dir / "nowhere", dir / "link");
    expectUnreadable(dir / "link", test::systemError(ENOENT));
}

TEST_F(UnreadableTest, LoopOfLinks) {
    std::filesystem::create_symlink(dir / "b", dir / "a");
    std::filesystem::create_symlink(dir / "a", dir / "b");
    expectUnreadable(dir / "a", test::systemError(ELOOP));
}

TEST_F(UnreadableTest, FifoWithoutWriterDoesNotBlock) {
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    expectUnreadable(dir / "fifo", FileError::NotRegularFile);
}

TEST_F(UnreadableTest, CharacterDevice) {
    expectUnreadable("/dev/null", FileError::NotRegularFile);
    expectUnreadable("/dev/zero", FileError::NotRegularFile);
}

TEST_F(UnreadableTest, Socket) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const auto path = (dir / "socket").string();
    ASSERT_LT(path.size(), sizeof(address.sun_path));
    path.copy(address.sun_path, path.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);  // NOLINT
    expectUnreadable(dir / "socket", test::systemError(ENXIO));
    ::close(fd);
}
#else
std::error_code windowsError(DWORD value) {
    return {static_cast<int>(value), windowsErrorCategory()};
}

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : m_handle(handle) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() {
        if (valid()) {
            ::CloseHandle(m_handle);
        }
    }
    [[nodiscard]] bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

TEST_F(UnreadableTest, MissingFileOrFolder) {
    expectUnreadable(dir / "gone", windowsError(ERROR_FILE_NOT_FOUND));
    expectUnreadable(dir / "gone" / "file", windowsError(ERROR_PATH_NOT_FOUND));
}

TEST_F(UnreadableTest, Devices) {
    expectUnreadable("NUL", FileError::NotRegularFile);
    expectUnreadable(L"\\\\.\\NUL", FileError::NotRegularFile);
}

TEST_F(UnreadableTest, NamedPipeWithoutClientDoesNotBlock) {
    const std::wstring name =
        L"\\\\.\\pipe\\trovik-test-" + std::to_wstring(::GetCurrentProcessId());
    const OwnedHandle pipe(::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1,
                                              4096, 4096, 0, nullptr));
    ASSERT_TRUE(pipe.valid());
    expectUnreadable(name, FileError::NotRegularFile);
}

// A file that another program holds open without sharing it cannot be read; it is never CLEAN.
TEST_F(UnreadableTest, FileHeldExclusivelyByAnotherProgram) {
    const auto path = dir.write("locked.exe", "nothing to find here");
    {
        const OwnedHandle other(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(other.valid());
        expectUnreadable(path, windowsError(ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(scanReal(path), ScanVerdict::clean());  // once it is let go
}

// While trovik reads a file, other programs may still write, rename and delete it.
TEST_F(ScanWindowTest, ScanStandsInNobodysWay) {
    const auto path = dir.write("busy.exe", "SEXSTORY");
    const ScanPass pass = ScanFile(path, systemFileService());
    ASSERT_TRUE(pass.holdsFile());
    EXPECT_EQ(pass.verdict().kind, Kind::PasswordStealer);
    {
        const OwnedHandle writer(::CreateFileW(
            path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(writer.valid()) << ::GetLastError();
    }
    const auto renamed = dir / "renamed.exe";
    EXPECT_NE(::MoveFileW(path.c_str(), renamed.c_str()), FALSE) << ::GetLastError();
    EXPECT_NE(::DeleteFileW(renamed.c_str()), FALSE) << ::GetLastError();
}

struct WindowsErrorCase {
    DWORD value;
    std::errc condition;
};

class WindowsErrorTextTest : public testing::TestWithParam<WindowsErrorCase> {};

// The system's texts arrive without the full stop and line end the system puts after them, and
// the codes compare equal to the portable conditions.
TEST_P(WindowsErrorTextTest, ReadsAsAReasonAndMeansTheSame) {
    const auto error = windowsError(GetParam().value);
    const std::string text = error.message();
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '.');
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
    EXPECT_EQ(error, GetParam().condition) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, WindowsErrorTextTest,
    testing::Values(WindowsErrorCase{ERROR_FILE_NOT_FOUND, std::errc::no_such_file_or_directory},
                    WindowsErrorCase{ERROR_PATH_NOT_FOUND, std::errc::no_such_file_or_directory},
                    WindowsErrorCase{ERROR_ACCESS_DENIED, std::errc::permission_denied},
                    WindowsErrorCase{ERROR_SHARING_VIOLATION, std::errc::device_or_resource_busy}));

TEST(WindowsErrorCategoryTest, UnknownNumberIsNamedByItsNumber) {
    EXPECT_EQ(windowsError(0x2000FFFF).message(), "Windows error 536936447");
}
#endif

// Failures and odd reads, through a file service that can be made to produce them.
class ScanThroughServiceTest : public testing::Test {
protected:
    test::FakeFileService files;

    ScanVerdict scan() { return ScanFile("/some/file", files).verdict(); }
};

TEST_F(ScanThroughServiceTest, RefusedOpenIsUnreadableWithTheReason) {
    files.openError = test::systemError(EACCES);
    EXPECT_EQ(scan(), ScanVerdict::unreadable(test::systemError(EACCES)));
    EXPECT_EQ(scan().error.message(), "Permission denied");
    EXPECT_EQ(files.closes, 0);
}

TEST_F(ScanThroughServiceTest, FailedReadIsUnreadableAndTheFileIsClosed) {
    files.content = "SEXSTORY" + filler(1000);
    files.chunk = 4;
    files.failOnRead = 1;  // after half a signature has arrived
    files.readError = test::systemError(EIO);
    EXPECT_EQ(scan(), ScanVerdict::unreadable(test::systemError(EIO)));
    EXPECT_EQ(files.openFiles, 0);
    EXPECT_EQ(files.closes, 1);
}

TEST_F(ScanThroughServiceTest, SignatureSplitAcrossShortReadsIsFound) {
    // Every chunk size cuts some signature somewhere; the window is assembled before matching.
    for (const std::size_t chunk : {1U, 3U, 7U, 4096U}) {
        files.content = filler(20000, "software\\BORLAND\\delphi\\rtl", 10000 - 5);
        files.chunk = chunk;
        EXPECT_EQ(scan().kind, Kind::PasswordStealer) << "chunk " << chunk;
    }
}

TEST_F(ScanThroughServiceTest, FileReportingLengthZeroIsReadToItsEnd) {
    files.reportedSize = 0;  // as files in /proc do
    files.chunk = 4096;
    files.content = filler(12000, "Change Your Password", 9000);
    EXPECT_EQ(scan().kind, Kind::PasswordStealer);
}

TEST_F(ScanThroughServiceTest, FileThatGrewIsScannedToTheWindowOnly) {
    files.reportedSize = 10;
    files.content = filler(50000, "SEXSTORY", 31992);
    EXPECT_EQ(scan().kind, Kind::PasswordStealer);
    files.content = filler(50000, "SEXSTORY", 31993);
    EXPECT_EQ(scan().kind, Kind::Clean);
}

TEST_F(ScanThroughServiceTest, FileThatShrankIsScannedAsItIs) {
    files.reportedSize = 50000;
    files.content = filler(100, "sexstory", 92);
    EXPECT_EQ(scan().kind, Kind::PasswordStealer);
    files.content = "";
    EXPECT_EQ(scan().kind, Kind::Clean);
}

TEST_F(ScanThroughServiceTest, ReportedLengthSavesTheReadThatOnlyFindsTheEnd) {
    files.content = filler(500);
    files.reportedSize = 500;
    EXPECT_EQ(scan().kind, Kind::Clean);
    EXPECT_EQ(files.reads, 1U);
}

TEST_F(ScanThroughServiceTest, PassHoldsTheFileUntilItEnds) {
    files.content = "clean";
    {
        const ScanPass pass = ScanFile("/x", files);
        EXPECT_TRUE(pass.holdsFile());
        EXPECT_EQ(files.openFiles, 1);
    }
    EXPECT_EQ(files.openFiles, 0);
    EXPECT_EQ(files.closes, 1);
}

}  // namespace
}  // namespace trovik
