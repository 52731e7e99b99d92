#include <gtest/gtest.h>

#ifdef _WIN32
#include "support/OwnedHandle.h"
#endif

#include <chrono>

#include "platform/io/FileErrors.h"
#include "scan/ScanFile.h"
#include "support/FakeFileService.h"
#include "support/HangBound.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

using test::filler;
using Kind = ScanVerdict::Kind;

#ifdef _WIN32
std::error_code windowsError(DWORD value) {
    return {static_cast<int>(value), windowsErrorCategory()};
}
#endif

// Real files through the system's file service: the window's edge, a size past 32 bits, a name
// outside ASCII and a read-only file. A folder and a missing file are with the hostile tests' files
// that change, and on Windows below; links are in the hostile tests.
TEST(RealFile, VerdictOfTheFirst32000Bytes) {
    struct {
        std::string content;
        std::uint64_t size;  // the file is made sparse up to this size when larger than `content`
        ScanVerdict expected;
    } const cases[] = {
        {"", 0, ScanVerdict::clean()},
        // A signature that ends at the last byte of the window, and one that runs one past it.
        {filler(40000, "SEXSTORY", 31992), 0, ScanVerdict::passwordStealer()},
        {filler(40000, "SEXSTORY", 31993), 0, ScanVerdict::clean()},
        {filler(1000, "change your password", 100), 3ULL << 30, ScanVerdict::passwordStealer()},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const auto path = dir / u8"na\u00efve caf\u00e9 \u540d\u524d \U0001F600.exe";
        dir.write(path.filename(), c.content);
        std::filesystem::resize_file(path, std::max<std::uint64_t>(c.size, c.content.size()));
        std::filesystem::permissions(path, std::filesystem::perms::owner_read);
        EXPECT_EQ(ScanFile(path, systemFileService()).verdict(), c.expected)
            << "row " << &c - cases;
    }
}

// Odd reads, through a file service that can be made to produce them, as from a file that another
// program changes between the scan's reads: what arrives counts, and only the window. Failed reads
// are in the scan command's tests.
TEST(ReadsThroughService, WindowIsAssembledBeforeMatching) {
    struct {
        std::size_t chunk;  // at most this many bytes a read; 0 for no limit
        std::uint64_t reportedSize;
        std::string content;
        Kind kind;
        std::size_t reads;  // how many reads it may take; 0 for any number
    } const cases[] = {
        // One byte a read cuts the signature.
        {1, 20000, filler(20000, "software\\BORLAND\\delphi\\rtl", 10000 - 5),
         Kind::PasswordStealer, 0},
        // As files in /proc do: a length of 0, and content all the same.
        {4096, 0, filler(12000, "Change Your Password", 9000), Kind::PasswordStealer, 0},
        // A file that grew after the open, on a file system that reads short: read on past the
        // reported length to the end.
        {4, 8, filler(100, "SEXSTORY", 50), Kind::PasswordStealer, 0},
        // Cut short after the open: the end comes before the reported length.
        {4096, 20000, filler(5000), Kind::Clean, 3},
        // Empty at the open and growing at every read, as a log just created: the scan ends with
        // the window full.
        {1000, 0, filler(100000), Kind::Clean, 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        test::FakeFileService files;
        files.chunk = c.chunk;
        files.reportedSize = c.reportedSize;
        files.content = c.content;
        EXPECT_EQ(ScanFile("/f", files).verdict().kind, c.kind);
        if (c.reads != 0) {
            EXPECT_EQ(files.reads, c.reads);
        }
    }
}

#ifdef _WIN32
// What is not a file on a disk, or is held by another program without sharing, is never CLEAN,
// and none of it blocks.
TEST(UnreadableOnWindows, ReportedWithTheSystemsReason) {
    test::TempDir dir;
    const auto locked = dir.write("locked.exe", "x");
    const test::OwnedHandle holder(::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::wstring pipeName =
        L"\\\\.\\pipe\\trovik-test-" + std::to_wstring(::GetCurrentProcessId());
    const test::OwnedHandle pipe(::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX,
                                                    PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(holder.valid() && pipe.valid());
    const std::pair<std::filesystem::path, std::error_code> rows[] = {
        {dir / "gone" / "file", windowsError(ERROR_PATH_NOT_FOUND)},
        // The system refuses a folder as it refuses a file it may not read; it is told apart.
        {dir.path(), std::make_error_code(std::errc::is_a_directory)},
        {locked, windowsError(ERROR_SHARING_VIOLATION)},
        // In the extended-length form every path takes, a bare device name is a name like any
        // other: here a file that is not there.
        {"NUL", windowsError(ERROR_FILE_NOT_FOUND)},
        {L"\\\\.\\NUL", FileError::NotRegularFile},
        {pipeName, FileError::NotRegularFile}};
    for (const auto& [path, why] : rows) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ScanFile(path, systemFileService()).verdict(), ScanVerdict::unreadable(why))
            << path.string();
        EXPECT_LT(std::chrono::steady_clock::now() - start, test::HangBound);
    }
}

// While trovik reads a file, other programs may still write, rename and delete it.
TEST(UnreadableOnWindows, ScanStandsInNobodysWay) {
    test::TempDir dir;
    const auto path = dir.write("busy.exe", "SEXSTORY");
    const ScanPass pass = ScanFile(path, systemFileService());
    ASSERT_EQ(pass.verdict().kind, Kind::PasswordStealer);
    EXPECT_TRUE(
        test::OwnedHandle(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr))
            .valid());
    const auto renamed = dir / "renamed.exe";
    EXPECT_NE(::MoveFileW(path.c_str(), renamed.c_str()), FALSE) << ::GetLastError();
    EXPECT_NE(::DeleteFileW(renamed.c_str()), FALSE) << ::GetLastError();
}

// The system's texts arrive without the full stop and line end the system puts after them, an
// unknown number is named by its number, and the codes mean the portable conditions.
TEST(WindowsErrorCategory, ReadsAsAReasonAndMeansTheSame) {
    const std::pair<DWORD, std::errc> rows[] = {
        {ERROR_FILE_NOT_FOUND, std::errc::no_such_file_or_directory},
        {ERROR_PATH_NOT_FOUND, std::errc::no_such_file_or_directory},
        {ERROR_ACCESS_DENIED, std::errc::permission_denied},
        {ERROR_SHARING_VIOLATION, std::errc::device_or_resource_busy}};
    for (const auto& [value, condition] : rows) {
        const std::string text = windowsError(value).message();
        ASSERT_FALSE(text.empty());
        EXPECT_NE(text.back(), '.');
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
        EXPECT_EQ(windowsError(value), condition) << text;
    }
    EXPECT_EQ(windowsError(0x2000FFFF).message(), "Windows error 536936447");
}
#endif

}  // namespace
}  // namespace trovik
