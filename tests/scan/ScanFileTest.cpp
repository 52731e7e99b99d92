#include <gtest/gtest.h>

#ifdef _WIN32
#include "support/OwnedHandle.h"
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

// The scan window on real files: its edge, what a file's size does to it, and files of any name
// or mode. FIFOs, devices, links and the like are in the hostile tests.
struct WindowCase {
    const char* name;
    std::string content;
    std::uint64_t size;  // the file is made sparse up to this size when larger than `content`
    Kind kind;
};

class ScanWindowTest : public testing::TestWithParam<WindowCase> {
protected:
    test::TempDir dir;
};

TEST_P(ScanWindowTest, VerdictOfTheFirst32000Bytes) {
    const auto path =
        dir.write(u8"na\u00efve caf\u00e9 \u540d\u524d \U0001F600.exe", GetParam().content);
    if (GetParam().size > GetParam().content.size()) {
        std::filesystem::resize_file(path, GetParam().size);
    }
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_EQ(scanReal(path), (ScanVerdict{GetParam().kind, {}}));
}

INSTANTIATE_TEST_SUITE_P(
    RealFiles, ScanWindowTest,
    testing::Values(WindowCase{"Empty", "", 0, Kind::Clean},
                    WindowCase{"EndsAtTheLastByteOfExactly32000", filler(32000, "SEXSTORY", 31992),
                               0, Kind::PasswordStealer},
                    WindowCase{"EndsAtTheLastByteOfTheWindow", filler(40000, "SEXSTORY", 31992), 0,
                               Kind::PasswordStealer},
                    WindowCase{"RunsOnePastTheWindow", filler(40000, "SEXSTORY", 31993), 0,
                               Kind::Clean},
                    WindowCase{"Sparse3GiB", filler(1000, "change your password", 100), 3ULL << 30,
                               Kind::PasswordStealer}),
    [](const auto& row) { return std::string(row.param.name); });

#ifdef _WIN32
// Paths that are not regular files never read as CLEAN, and none of them blocks.
void expectUnreadable(const std::filesystem::path& path, std::error_code why) {
    const auto start = std::chrono::steady_clock::now();
    const auto verdict = scanReal(path);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(verdict, ScanVerdict::unreadable(why)) << verdict.error.message();
}

class UnreadableTest : public testing::Test {
protected:
    test::TempDir dir;
};

std::error_code windowsError(DWORD value) {
    return {static_cast<int>(value), windowsErrorCategory()};
}

using test::OwnedHandle;

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

// While trovik reads a file, other programs may still write, rename and delete it.
TEST_F(UnreadableTest, ScanStandsInNobodysWay) {
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

// Odd reads, through a file service that can be made to produce them. Failed reads are in the
// scan command's tests; files that shrink or grow while read are in the race tests, on real files.
struct ReadCase {
    const char* name;
    std::size_t chunk;  // at most this many bytes a read; 0 for no limit
    std::uint64_t reportedSize;
    std::string content;
    Kind kind;
    std::size_t reads;  // how many reads it may take; 0 for any number
};

class ReadsThroughServiceTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadsThroughServiceTest, WindowIsAssembledBeforeMatching) {
    test::FakeFileService files;
    files.chunk = GetParam().chunk;
    files.reportedSize = GetParam().reportedSize;
    files.content = GetParam().content;
    EXPECT_EQ(ScanFile("/f", files).verdict().kind, GetParam().kind);
    if (GetParam().reads != 0) {
        EXPECT_EQ(files.reads, GetParam().reads);
    }
}

// Every chunk size cuts some signature somewhere.
const std::string Split = filler(20000, "software\\BORLAND\\delphi\\rtl", 10000 - 5);

INSTANTIATE_TEST_SUITE_P(
    Fake, ReadsThroughServiceTest,
    testing::Values(ReadCase{"OneByteReads", 1, 20000, Split, Kind::PasswordStealer, 0},
                    ReadCase{"ThreeByteReads", 3, 20000, Split, Kind::PasswordStealer, 0},
                    ReadCase{"SevenByteReads", 7, 20000, Split, Kind::PasswordStealer, 0},
                    ReadCase{"PageReads", 4096, 20000, Split, Kind::PasswordStealer, 0},
                    // As files in /proc do: a length of 0, and content all the same.
                    ReadCase{"ReportedLengthZero", 4096, 0,
                             filler(12000, "Change Your Password", 9000), Kind::PasswordStealer, 0},
                    // A file that grew after the open, on a file system that reads short: read
                    // on past the reported length to the end.
                    ReadCase{"GrewWhileReadShort", 4, 8, filler(100, "SEXSTORY", 50),
                             Kind::PasswordStealer, 0},
                    // The reported length spares the read that would only find the end.
                    ReadCase{"ReportedLengthSavesARead", 0, 500, filler(500), Kind::Clean, 1}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace trovik
