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
#include <sys/stat.h>
#endif

#include <sstream>

#include "cli/CommandLine.h"
#include "platform/io/FileErrors.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace trovik::cli {
namespace {

using test::filler;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class CommandLineTest : public testing::Test {
protected:
    test::TempDir dir;

    // Runs trovik-scan from inside the temporary folder, so that paths in the output are short.
    Outcome run(std::vector<std::string> arguments) {
        const auto previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        arguments.insert(arguments.begin(), "trovik-scan");
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunCommandLine(arguments, out, err, systemFileService());
        std::filesystem::current_path(previous);
        return {status, out.str(), err.str()};
    }
};

TEST_F(CommandLineTest, OneLineAFileInTheOrderOfTheArguments) {
    dir.write("b.txt", "plain text");
    dir.write("a.exe", filler(5000, "Change Your Password", 4000));
    const auto result = run({"b.txt", "a.exe", "b.txt"});
    EXPECT_EQ(result.out, "b.txt: CLEAN\na.exe: PASSWORD STEALER\nb.txt: CLEAN\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, StealerFound);
}

TEST_F(CommandLineTest, ExitStatusTellsCleanThenUnscannableThenStealer) {
    dir.write("clean", "x");
    dir.write("pws", "SEXSTORY");
    EXPECT_EQ(run({"clean"}).status, AllClean);
    EXPECT_EQ(run({"clean", "missing"}).status, NotAllScanned);
    EXPECT_EQ(run({"missing", "pws", "clean"}).status, StealerFound);
}

#ifndef _WIN32
TEST_F(CommandLineTest, PathsThatCannotBeScannedGoToStandardError) {
    dir.write("folder/inside", "x");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const auto result = run({"missing", "folder", "fifo"});
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "trovik-scan: missing: No such file or directory\n"
              "trovik-scan: folder: Is a directory\n"
              "trovik-scan: fifo: Not a regular file\n");
    EXPECT_EQ(result.status, NotAllScanned);
}

TEST_F(CommandLineTest, RecursiveWalkIsSortedAndSkipsWhatIsNotAFile) {
    dir.write("tree/b/2.txt", "SEXSTORY");
    dir.write("tree/b/1.txt", "x");
    dir.write("tree/a.txt", "x");
    dir.write("tree/c.txt", "x");
    dir.write("elsewhere/far.txt", "x");
    ASSERT_EQ(::mkfifo((dir / "tree/b/fifo").c_str(), 0600), 0);
    std::filesystem::create_directory_symlink("../elsewhere", dir / "tree/linked-folder");
    std::filesystem::create_symlink("a.txt", dir / "tree/linked-file");
    std::filesystem::create_symlink("nowhere", dir / "tree/dangling");

    const auto result = run({"-r", "tree"});
    EXPECT_EQ(result.out,
              "tree/a.txt: CLEAN\n"
              "tree/b/1.txt: CLEAN\n"
              "tree/b/2.txt: PASSWORD STEALER\n"
              "tree/c.txt: CLEAN\n"
              "tree/linked-file: CLEAN\n");
    EXPECT_EQ(result.err, "trovik-scan: tree/dangling: No such file or directory\n");
    EXPECT_EQ(result.status, StealerFound);
}
#endif

TEST_F(CommandLineTest, OrderDoesNotDependOnTheNumberOfThreads) {
    for (std::size_t i = 0; i < 300; ++i) {
        const auto name = "many/d" + std::to_string(i % 7) + "/f" + std::to_string(i);
        dir.write(name, i % 17 == 0 ? filler(30000, "SeXsToRy", 29000) : filler(i * 50));
    }
    const auto single = run({"-r", "-j", "1", "many"});
    EXPECT_EQ(std::count(single.out.begin(), single.out.end(), '\n'), 300);
    for (const char* jobs : {"2", "8", "64"}) {
        const auto parallel = run({"-r", "-j", jobs, "many"});
        EXPECT_EQ(parallel.out, single.out) << "-j " << jobs;
        EXPECT_EQ(parallel.status, StealerFound);
    }
}

TEST_F(CommandLineTest, QuietPrintsNothing) {
    dir.write("pws", "SEXSTORY");
    dir.write("clean", "x");
    const auto stealer = run({"-q", "missing", "pws", "clean"});
    EXPECT_EQ(stealer.out + stealer.err, "");
    EXPECT_EQ(stealer.status, StealerFound);
    const auto missing = run({"-q", "clean", "missing"});
    EXPECT_EQ(missing.out + missing.err, "");
    EXPECT_EQ(missing.status, NotAllScanned);
}

TEST_F(CommandLineTest, DoubleDashLetsANameStartWithADash) {
    dir.write("-rf", "change your password");
    const auto result = run({"--", "-rf"});
    EXPECT_EQ(result.out, "-rf: PASSWORD STEALER\n");
}

#ifndef _WIN32
TEST_F(CommandLineTest, NamesAreWrittenAsTheirOwnBytes) {
    const std::string name = "caf\xe9 \xff\nx";
    dir.write(name, "x");
    EXPECT_EQ(run({name}).out, name + ": CLEAN\n");
}
#else
TEST_F(CommandLineTest, PathsThatCannotBeScannedGoToStandardError) {
    dir.write("folder/inside", "x");
    const auto result = run({"missing", "folder"});
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "trovik-scan: missing: No such file or directory\n"
              "trovik-scan: folder: Is a directory\n");
    EXPECT_EQ(result.status, NotAllScanned);
}

TEST_F(CommandLineTest, RecursiveWalkIsSortedAndUsesBackslashes) {
    dir.write("tree/b/2.txt", "SEXSTORY");
    dir.write("tree/b/1.txt", "x");
    dir.write("tree/a.txt", "x");
    dir.write("tree/c.txt", "x");
    const auto result = run({"-r", "tree"});
    EXPECT_EQ(result.out,
              "tree\\a.txt: CLEAN\n"
              "tree\\b\\1.txt: CLEAN\n"
              "tree\\b\\2.txt: PASSWORD STEALER\n"
              "tree\\c.txt: CLEAN\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, StealerFound);
}

// A file another program holds open without sharing it is reported, never called CLEAN.
TEST_F(CommandLineTest, FileHeldExclusivelyIsReportedAsNotScanned) {
    const auto locked = dir.write("locked.exe", "x");
    dir.write("free.exe", "x");
    const HANDLE other = ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    const auto result = run({"locked.exe", "free.exe"});
    ::CloseHandle(other);
    EXPECT_EQ(result.out, "free.exe: CLEAN\n");
    const auto reason = std::error_code(ERROR_SHARING_VIOLATION, windowsErrorCategory()).message();
    EXPECT_EQ(result.err, "trovik-scan: locked.exe: " + reason + "\n");
    EXPECT_EQ(result.status, NotAllScanned);
}
#endif

// Names outside ASCII: taken as UTF-8 and printed as UTF-8, on every system.
const std::u8string nonAsciiName = u8"na\u00efve caf\u00e9 \u540d\u524d \U0001F600.exe";

std::string bytes(std::u8string_view text) {
    return {text.begin(), text.end()};
}

TEST_F(CommandLineTest, NameOutsideAsciiIsScannedAndPrinted) {
    dir.write(nonAsciiName, "change your password");
    dir.write(u8"\u00e9t\u00e9/\u00fcber.txt", "x");
    const auto result = run({bytes(nonAsciiName), "-r", bytes(u8"\u00e9t\u00e9")});
    const std::string separator{static_cast<char>(std::filesystem::path::preferred_separator)};
    EXPECT_EQ(result.out, bytes(nonAsciiName) + ": PASSWORD STEALER\n" + bytes(u8"\u00e9t\u00e9") +
                              separator + bytes(u8"\u00fcber.txt") + ": CLEAN\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, StealerFound);
}

// The real program, started as a user would start it: arguments through the system, output
// through its streams.
TEST_F(CommandLineTest, ProgramScansANameOutsideAscii) {
    dir.write(nonAsciiName, "SEXSTORY");
    dir.write("clean.txt", "x");
    const auto program = test::siblingProgram(TROVIK_SCAN_PROGRAM);
    const auto stealer = test::runProgram(program, {nonAsciiName, u8"clean.txt"}, dir.path());
    EXPECT_EQ(stealer.out, bytes(nonAsciiName) + ": PASSWORD STEALER\nclean.txt: CLEAN\n");
    EXPECT_EQ(stealer.err, "");
    EXPECT_EQ(stealer.status, StealerFound);

    const auto missing = test::runProgram(program, {u8"clean.txt", u8"missing"}, dir.path());
    EXPECT_EQ(missing.out, "clean.txt: CLEAN\n");
    EXPECT_EQ(missing.err, "trovik-scan: missing: No such file or directory\n");
    EXPECT_EQ(missing.status, NotAllScanned);
}

TEST_F(CommandLineTest, HelpVersionAndUsageErrors) {
    const auto help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: trovik-scan"), std::string::npos);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);

    const auto version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out,
              "trovik-scan 1.01\ndetects all pws's!  including the new winsock ones!\n");

    for (const auto& wrong : std::vector<std::vector<std::string>>{
             {}, {"-j", "0", "x"}, {"-j", "many", "x"}, {"--frobnicate", "x"}}) {
        const auto result = run(wrong);
        EXPECT_EQ(result.status, NotAllScanned);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("trovik-scan: ", 0), 0U) << result.err;
    }
}

}  // namespace
}  // namespace trovik::cli
