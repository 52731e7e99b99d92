#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <regex>
#include <sstream>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#endif

#include "cli/CommandLine.h"
#include "cli/Report.h"
#include "platform/io/Text.h"
#include "support/RunProgram.h"
#include "support/ScanIo.h"
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
    std::size_t inputRead = 0;  // of standard input, by the last run
    // The real program, for the tests that start it as a user would.
    const std::string program = utf8String(test::siblingProgram(TROVIK_SCAN_PROGRAM).u8string());

    // Runs trovik-scan from inside the temporary folder, so that paths in the output are short,
    // with `input` as its standard input.
    Outcome run(std::vector<std::string> arguments, const std::string& input = {}) {
        const auto previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        arguments.insert(arguments.begin(), "trovik-scan");
        std::istringstream in(input);
        std::ostringstream out;
        std::ostringstream err;
        const int status = runCommandLine(arguments, Console{in, out, err}, systemFileService(),
                                          test::environmentReaders());
        std::filesystem::current_path(previous);
        in.clear();
        inputRead = static_cast<std::size_t>(in.tellg());
        return {status, out.str(), err.str()};
    }
};

struct CliCase {
    const char* name;
    std::vector<std::string> arguments;
    Outcome expected;
    std::string input = {};  // standard input
};

// Text as UTF-16LE bytes, on the little-endian machines the tests run on.
static_assert(std::endian::native == std::endian::little);
std::string utf16(std::u16string_view text) {
    return {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t)};
}

class CommandLineRows : public CommandLineTest, public testing::WithParamInterface<CliCase> {
protected:
    // For the options too: links (to a file, to nowhere and to themselves), lists of paths, and a
    // name that is not UTF-8.
    void SetUp() override {
        dir.write("clean", "plain text");
        dir.write("pws", filler(5000, "Change Your Password", 4000));
        dir.write("folder/inside", "x");
        dir.write("-rf", "SEXSTORY");
        dir.write("two", filler(6000, "SEXSTORY", 100) + "change your password SEXSTORY");
        dir.write("nul-list", std::string("pws\0\0folder/inside\0", 19));
        for (const char* name : {"tree/a.txt", "tree/skip/c", "tree/sub/d"}) {
            dir.write(name, "x");
        }
        dir.write("tree/b.exe", "SEXSTORY");
        // Lists of paths in the encodings a list is saved in, and two with a line that names
        // nothing: Latin-1 text, and UTF-16 with a lone surrogate.
        dir.write("list-utf8", "pws\nclean\n");
        dir.write("list-mark", "\xEF\xBB\xBFpws\nclean\n");
        dir.write("list-crlf", "pws\r\nclean\r\n");
        dir.write("list-utf16", utf16(u"\uFEFFpws\r\nclean\r\n"));
        dir.write("list-latin1", "pws\ncaf\xe9\nclean\n");
        // A line longer than any path, on Linux and on Windows alike.
        dir.write("list-long", "pws\n" + std::string(100000, 'a') + "\nclean\n");
        dir.write("list-surrogate",
                  utf16(u"\uFEFFpws\n") + std::string("\x00\xD8\n\x00", 4) + utf16(u"clean\n"));
#ifdef _WIN32
        // Names the system's ordinary form would take for others.
        dir.write("dots/setup.exe.", "SEXSTORY");
        dir.write("dots/setup.exe", "x");
        dir.write("dots/name ", "x");
        dir.write("dots/name", "SEXSTORY");
#else
        dir.write("bad\xff", "SEXSTORY");
        dir.write("links/a.txt", "x");
        std::filesystem::create_symlink("a.txt", dir / "links/good");
        std::filesystem::create_symlink("nowhere", dir / "links/dangling");
        std::filesystem::create_symlink("self", dir / "links/self");
#endif
    }
};

// Lines in the order of the arguments, failures on standard error, and the exit status: a stealer
// found wins over a path not scanned, which wins over all clean. Of standard input, "-" reads the
// first 32000 bytes, as they come, and no more.
TEST_P(CommandLineRows, PrintsAndEndsAsExpected) {
    const auto result = run(GetParam().arguments, GetParam().input);
    EXPECT_EQ(result.out, GetParam().expected.out);
    EXPECT_EQ(result.err, GetParam().expected.err);
    EXPECT_EQ(result.status, GetParam().expected.status);
    EXPECT_EQ(inputRead, std::min<std::size_t>(GetParam().input.size(), 32000));
}

const std::string Missing = "trovik-scan: missing: No such file or directory\n";
const std::string TryHelp = "Try 'trovik-scan --help' for more information.\n";
const std::string JobsWanted = "-j wants a number from 1 to 1024, not ";
const std::string Listed = "pws: PASSWORD STEALER\nclean: CLEAN\n";
const std::string PwsJson =
    R"({"path":"pws","verdict":"stealer","matches":[{"signature":"Change Your Password",)"
    R"("offset":4000}]})"
    "\n";
#ifdef _WIN32
const std::string Latin1Line = "trovik-scan: list-latin1: line 2: not valid UTF-8\n";
#else
const std::string Latin1Line =
    "trovik-scan: caf\xe9: No such file or directory\n";  // a name's bytes
#endif

CliCase row(const char* name, std::vector<std::string> arguments, int status, std::string out,
            std::string err = {}, std::string input = {}) {
    return {name, std::move(arguments), {status, std::move(out), std::move(err)}, std::move(input)};
}

// A command line that is wrong: nothing scanned, why on standard error, and where to read more.
CliCase usage(const char* name, std::vector<std::string> arguments, const std::string& why) {
    return row(name, std::move(arguments), NotAllScanned, "",
               "trovik-scan: " + why + "\n" + TryHelp);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineRows,
    testing::Values(
        row("OneLineAFileInOrderAndTheStealerWins", {"clean", "missing", "pws", "clean"},
            StealerFound, "clean: CLEAN\npws: PASSWORD STEALER\nclean: CLEAN\n", Missing),
        row("FolderWithoutRecursive", {"missing", "folder"}, NotAllScanned, "",
            Missing + "trovik-scan: folder: Is a directory\n"),
        row("QuietStealer", {"-q", "missing", "pws", "clean"}, StealerFound, "", Missing),
        row("QuietNotScanned", {"-q", "clean", "missing"}, NotAllScanned, "", Missing),
        row("NoMessages", {"--no-messages", "missing", "clean"}, NotAllScanned, "clean: CLEAN\n"),
        row("DoubleDashBeforeADash", {"--", "-rf"}, StealerFound, "-rf: PASSWORD STEALER\n"),
        row("Version", {"--version"}, 0,
            "trovik-scan 1.01\ndetects all pws's!  including the new winsock ones!\n"),
        usage("NoPath", {}, "PATH is required, or --files-from FILE"),
        usage("NoJobs", {"-j", "0", "x"}, JobsWanted + "'0'"),
        usage("JobsNotANumber", {"-j", "abc", "x"}, JobsWanted + "'abc'"),
        usage("JobsInDecimalOnly", {"--jobs=0x10", "x"}, JobsWanted + "'0x10'"),
        usage("TooManyJobs", {"-j", "1025", "x"}, JobsWanted + "'1025'"),
        row("JobsAtTheLimit", {"-j", "1024", "clean"}, AllClean, "clean: CLEAN\n"),
        usage("JobsWithoutAValue", {"clean", "-j"}, "--jobs wants a value"),
        usage("JobsTwice", {"-j", "2", "-j", "3", "clean"}, "--jobs can be given only once"),
        usage("FlagGivenAValue", {"--recursive=no", "clean"},
              "--recursive takes no value, not 'no'"),
        row("AfterTheDoubleDashAnEqualsSignIsAName", {"--", "--json=x"}, NotAllScanned, "",
            "trovik-scan: --json=x: No such file or directory\n"),
        usage("UnknownOption", {"--frobnicate", "x"}, "unknown option '--frobnicate'"),
        row("FilesFromEachInTurn",
            {"-f", "list-crlf", "--files-from=list-utf8", "-f", "list-mark", "-f", "list-utf16"},
            StealerFound, Listed + Listed + Listed + Listed),
        row("FilesFromAFolder", {"-f", "list-utf8", "-f", "folder"}, NotAllScanned, "",
            "trovik-scan: folder: Is a directory\n"),
        row("FilesFromLineLongerThanAnyPath", {"-f", "list-long"}, StealerFound, Listed,
            "trovik-scan: list-long: line 2: longer than any path the system accepts\n"),
        usage("StandardInputOnce", {"-", "-f", "-"}, "standard input (-) can be read only once"),
        row("NamesEndedInNul", {"--print0", "-f", "list-utf8", "two"}, StealerFound,
            std::string("two\0pws\0clean\0", 14)),
        row("FilesFromLatin1", {"-f", "list-latin1"}, StealerFound, Listed, Latin1Line),
        row("FilesFromLineNotUtf16Json", {"--json", "-f", "list-surrogate"}, StealerFound,
            PwsJson + R"({"path":"list-surrogate: line 2","verdict":"error","matches":[],)"
                      R"("error":"not valid UTF-16"})"
                      "\n"
                      R"({"path":"clean","verdict":"clean","matches":[]})"
                      "\n"),
        row("StandardInputInItsPlace", {"clean", "-", "pws"}, StealerFound,
            "clean: CLEAN\n(standard input): PASSWORD STEALER\npws: PASSWORD STEALER\n", "",
            "..sexstory.."),
        row("StandardInputEmpty", {"-"}, AllClean, "(standard input): CLEAN\n"),
        row("StandardInputToTheWindowsEnd", {"-"}, StealerFound,
            "(standard input): PASSWORD STEALER\n", "", filler(40000, "SEXSTORY", 31992))),
    [](const auto& row) { return std::string(row.param.name); });

#ifdef _WIN32
// What the system's ordinary form of a path would change: the walk and the names given open the
// very files named, and a word that begins with "/" is a path.
INSTANTIATE_TEST_SUITE_P(
    Windows, CommandLineRows,
    testing::Values(
        row("TrailingDotAndSpaceInAWalk", {"-r", "dots"}, StealerFound,
            "dots\\name: PASSWORD STEALER\ndots\\name : CLEAN\ndots\\setup.exe: CLEAN\n"
            "dots\\setup.exe.: PASSWORD STEALER\n"),
        row("TrailingDotAndSpaceNamed", {"dots/setup.exe", "dots/setup.exe.", "dots/name "},
            StealerFound,
            "dots/setup.exe: CLEAN\ndots/setup.exe.: PASSWORD STEALER\ndots/name : CLEAN\n"),
        row("SlashWordIsAPath", {"/r", "clean"}, NotAllScanned, "clean: CLEAN\n",
            "trovik-scan: /r: No such file or directory\n")),
    [](const auto& row) { return std::string(row.param.name); });
#else
// The options, alone and together.
const std::string Tree = "tree/a.txt: CLEAN\ntree/b.exe: PASSWORD STEALER\n";

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLineRows,
    testing::Values(
        row("InfectedOnly", {"-i", "clean", "pws", "missing", "folder"}, StealerFound,
            "pws: PASSWORD STEALER\n", Missing + "trovik-scan: folder: Is a directory\n"),
        row("ShowMatchEachFirstOffsetInSignatureOrder", {"-s", "two", "pws", "clean"}, StealerFound,
            "two: PASSWORD STEALER (Change Your Password at 6000, SEXSTORY at 100)\n"
            "pws: PASSWORD STEALER (Change Your Password at 4000)\nclean: CLEAN\n"),
        row("JsonInfectedKeepsErrors", {"--json", "-i", "clean", "pws", "missing"}, StealerFound,
            PwsJson + R"({"path":"missing","verdict":"error","matches":[],)"
                      R"("error":"No such file or directory"})"
                      "\n"),
        row("JsonNameNotUtf8GivenAsBytes", {"--json", "clean", "bad\xff"}, StealerFound,
            "{\"path\":\"clean\",\"verdict\":\"clean\",\"matches\":[]}\n{\"path\":"
            "\"bad\xef\xbf\xbd\","
            R"("verdict":"stealer","matches":[{"signature":"SEXSTORY","offset":0}],)"
            "\"path_bytes\":[98,97,100,255]}\n"),
        usage("NullWithoutFilesFrom", {"-0", "clean"}, "--null works with --files-from only"),
        row("FilesFromNulSeparatedAfterThePathsNamed", {"-0", "-f", "nul-list", "clean"},
            StealerFound, "clean: CLEAN\npws: PASSWORD STEALER\nfolder/inside: CLEAN\n"),
        usage("NamesEndedInNulAreNotJson", {"-Z", "--json", "clean"},
              "-Z prints names alone, without --json"),
        row("FilesFromMissing", {"--files-from", "nolist"}, NotAllScanned, "",
            "trovik-scan: nolist: No such file or directory\n"),
        row("LinkNamedIsFollowed", {"-r", "links/good", "links/dangling"}, NotAllScanned,
            "links/good: CLEAN\n", "trovik-scan: links/dangling: No such file or directory\n"),
        row("FollowReportsEachBrokenLinkOnce", {"-rL", "links", "links"}, NotAllScanned,
            "links/a.txt: CLEAN\nlinks/good: CLEAN\n",
            "trovik-scan: links/dangling: No such file or directory\n"
            "trovik-scan: links/self: Too many levels of symbolic links\n"),
        row("ExcludesRepeated",
            {"-r", "--exclude", "*.exe", "--exclude=a.*", "--exclude-dir", "sk*", "tree"}, AllClean,
            "tree/sub/d: CLEAN\n"),
        row("ExcludeWithASlashMatchesBelowTheRoot",
            {"-r", "--exclude", "sub/*", "--exclude", "/skip/c", "--exclude", "*/a.txt", "tree"},
            StealerFound, Tree),
        row("ExcludeDirWithASlashMatchesBelowTheRoot",
            {"-r", "--exclude-dir", "/sub/", "--exclude-dir", "tree/skip", "tree"}, StealerFound,
            Tree + "tree/skip/c: CLEAN\n"),
        row("ExcludeLeavesPathsNamed",
            {"-r", "--exclude", "*", "--exclude-dir", "*", "clean", "tree"}, AllClean,
            "clean: CLEAN\n")),
    [](const auto& row) { return std::string(row.param.name); });

#endif

// A stealer below three hundred characters of folders, past the 260 of Windows' ordinary form,
// walked down to from above.
TEST_F(CommandLineTest, WalksFoldersDeeperThanTheOrdinaryPathLimit) {
    auto file = std::filesystem::path("deep");
    for (int i = 0; i < 30; ++i) {
        file /= "folder" + std::to_string(100 + i);
    }
    file /= "evil.exe";
    ASSERT_GT(dir.write(file, "SEXSTORY").native().size(), 300u);
    const auto result = run({"-r", "deep"});
    EXPECT_EQ(result.out, utf8String(file.u8string()) + ": PASSWORD STEALER\n");
    EXPECT_EQ(result.status, StealerFound);
}

#ifdef _WIN32
TEST_F(CommandLineTest, SlashQuestionMarkPrintsTheHelp) {
    const auto result = run({"/?"});
    EXPECT_TRUE(result.out.starts_with("Tells whether files are password stealers")) << result.out;
    EXPECT_EQ(result.status, AllClean);
}

// A write to a pipe whose reader has gone fails in the C library as any other; the system's reason,
// in any of the numbers it gives for it (wine gives the third), makes it a lost reader, which is
// not told of, and nothing else does.
TEST(OutputChannel, TakesAWriteToAPipeWithoutReaderForALostReader) {
    struct Refusing : std::streambuf {
        DWORD why = 0;
        std::streamsize xsputn(const char*, std::streamsize) override {
            ::SetLastError(why);
            return 0;
        }
    } refusing;
    std::ostream out(&refusing);
    for (const auto& [code, lostReader] : {std::pair<DWORD, bool>{ERROR_NO_DATA, true},
                                           {ERROR_BROKEN_PIPE, true},
                                           {ERROR_PIPE_NOT_CONNECTED, true},
                                           {ERROR_DISK_FULL, false}}) {
        refusing.why = code;
        out.clear();
        OutputChannel channel(out);
        EXPECT_FALSE(channel.write("clean: CLEAN\n"));
        EXPECT_EQ(channel.error() == std::errc::broken_pipe, lostReader) << code;
    }
}
#endif

// The counts, with -q and --no-messages too, which then scans on past the first stealer so that
// they are whole. Links met in a walk are passed over and counted, where the system has them.
TEST_F(CommandLineTest, SummaryCountsEveryPath) {
    dir.write("pws", "SEXSTORY");
    std::vector<std::string> arguments{"-q",  "--no-messages", "--summary", "-r",
                                       "pws", "missing",       "pws",       "pws"};
    std::string counts = "Scanned files: 3\nPassword stealers: 3\nNot scanned: 1\nPassed over: 0\n";
#ifndef _WIN32
    dir.write("links/a", "x");
    std::filesystem::create_symlink("a", dir / "links/good");
    std::filesystem::create_symlink("nowhere", dir / "links/dangling");
    arguments.push_back("links");
    counts = "Scanned files: 4\nPassword stealers: 3\nNot scanned: 1\nPassed over: 2\n";
#endif
    const auto result = run(arguments);
    EXPECT_TRUE(
        std::regex_match(result.err, std::regex(counts + R"(Time: \d+\.\d\d s \(\d+ files/s\)\n)")))
        << result.err;
    EXPECT_EQ(result.status, StealerFound);
}

// The same report whatever the number of threads, and on Linux also where the kernel refuses a
// ring (an old kernel or a sandbox: ENOSYS; io_uring_disabled or a sandbox: EPERM; a limit on
// memory: ENOMEM), so that trovik-scan reads one file at a time, or where the limit on open
// descriptors is low, so that it reads in smaller batches, or where the first reads of a stealer,
// one at a time, are interrupted (EINTR) and must be made again. strace (which
// scripts/install-deps.sh installs) makes the kernel's answer.
TEST_F(CommandLineTest, ReportDoesNotDependOnThreadsNorOnHowFilesAreRead) {
    for (std::size_t i = 0; i < 300; ++i) {
        const auto name = "many/d" + std::to_string(i % 7) + "/f" + std::to_string(i);
        dir.write(name, i % 17 == 0 ? filler(30000, "SeXsToRy", 29000) : filler(i * 50));
    }
    const auto scan = [&](std::vector<std::string> command, const char* jobs) {
        command.insert(command.end(), {program, "-r", "-j", jobs, "many", "missing"});
        return test::runProgram(command, dir.path());
    };
    const auto single = scan({}, "1");
    EXPECT_EQ(std::count(single.out.begin(), single.out.end(), '\n'), 300);
    EXPECT_EQ(single.status, StealerFound);
    std::vector<std::pair<std::vector<std::string>, const char*>> runs{
        {{}, "2"}, {{}, "8"}, {{}, "64"}};
#ifndef _WIN32
    // LeakSanitizer cannot work under strace.
    const std::string strace =
        "/usr/bin/env ASAN_OPTIONS=detect_leaks=0 /usr/bin/strace -f -qq -o "
        "/dev/null -e inject=";
    for (const std::string& wrapper :
         {strace + "io_uring_setup:error=ENOSYS", strace + "io_uring_setup:error=EPERM",
          strace + "io_uring_setup:error=ENOMEM", std::string("/usr/bin/prlimit --nofile=30"),
          "TROVIK_SCAN_IO=single " + strace +
              "read:error=EINTR:when=1..2 -P \"$PWD/many/d0/f0\""}) {
        runs.push_back({{"/bin/sh", "-c", wrapper + " \"$@\"", "sh"}, "2"});
    }
#endif
    for (const auto& [prefix, jobs] : runs) {
        SCOPED_TRACE(testing::PrintToString(prefix) + " -j " + jobs);
        const auto run = scan(prefix, jobs);
        EXPECT_EQ(run.out, single.out);
        EXPECT_EQ(run.err, single.err);
        EXPECT_EQ(run.status, single.status);
    }
}

// A name as a terminal is shown it, and the columns it then takes, whatever the user's locale.
TEST(TerminalText, EscapesWhatIsNotPrintableAndCountsColumns) {
    // A name, as it is shown, and its columns.
    for (const auto& [name, shown, columns] :
         std::vector<std::tuple<std::string, std::string, std::size_t>>{
             {"a\\b c\t", "a\\\\b c\\t", 8},
             {"csi\xc2\x9b del\x7f", "csi\\302\\233 del\\177", 19},
             {"bad\xff cut\xe5\x90", "bad\\377 cut\\345\\220", 19},
             {"e\xcc\x81 \xe5\x90\x8d\xe5\x89\x8d", "e\xcc\x81 \xe5\x90\x8d\xe5\x89\x8d", 6},
             // Hangul, a full-width A, a half-width katakana and an emoji.
             {"\xed\x95\x9c\xef\xbc\xa1\xef\xbd\xb6\xf0\x9f\x98\x80",
              "\xed\x95\x9c\xef\xbc\xa1\xef\xbd\xb6\xf0\x9f\x98\x80", 7}}) {
        EXPECT_EQ(terminalText(name), shown);
        EXPECT_EQ(displayWidth(terminalText(name)), columns) << shown;
    }
}

// The real program, started as a user would start it: names outside ASCII through the system
// (UTF-16 on Windows) and out as UTF-8 through its streams; standard input as bytes, whatever they
// are (no text mode on Windows), scanned in its place or read as a UTF-16 list, one of whose names
// holds a 0x1A byte (U+011A), which must not end it.
TEST_F(CommandLineTest, ProgramTakesNamesAndStandardInputAsTheyAre) {
    const std::u8string name = u8"na\u00efve caf\u00e9 \u540d\u524d \U0001F600.exe";
    const std::u8string folder = u8"\u00e9t\u00e9";
    const std::u8string inside = u8"\u00fcber.txt";
    dir.write(name, "SEXSTORY");
    dir.write(std::filesystem::path(folder) / inside, "x");
    dir.write(u8"b\u011A.exe", "SEXSTORY");
    dir.write("clean", "x");
    const std::string separator{static_cast<char>(std::filesystem::path::preferred_separator)};
    const CliCase rows[] = {
        row("Names", {program, utf8String(name), "-r", utf8String(folder), "missing", "-"},
            StealerFound,
            utf8String(name) + ": PASSWORD STEALER\n" + utf8String(folder) + separator +
                utf8String(inside) + ": CLEAN\n(standard input): PASSWORD STEALER\n",
            Missing, std::string("\x1a\r\n\0SeXsToRy", 12)),
        row("List", {program, "-f", "-"}, StealerFound,
            "b\xC4\x9A.exe: PASSWORD STEALER\nclean: CLEAN\n", "",
            utf16(u"\uFEFFb\u011A.exe\r\nclean\r\n")),
    };
    for (const auto& each : rows) {
        SCOPED_TRACE(each.name);
        const auto result = test::runProgram(each.arguments, dir.path(), std::chrono::minutes(1),
                                             dir.write("input", each.input));
        EXPECT_EQ(result.out, each.expected.out);
        EXPECT_EQ(result.err, each.expected.err);
        EXPECT_EQ(result.status, each.expected.status);
    }
}

}  // namespace
}  // namespace trovik::cli
