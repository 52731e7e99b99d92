#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cli/Glob.h"
#include "cli/Targets.h"
#include "support/TempDir.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/io/SystemPath.h"
#include "support/OwnedHandle.h"
#else
#include <fnmatch.h>
#endif

namespace trovik::cli {
namespace {

namespace fs = std::filesystem;
using Found = std::vector<std::string>;

using GlobPairs = std::vector<std::pair<std::u32string, std::u32string>>;

// Each glob against its text, as a name or (`inPath`) as a path below the root; on Linux, where
// `likeFnmatch`, fnmatch is asked too, so that the rows say what fnmatch says.
void expectGlobs(bool inPath, bool matches, const GlobPairs& rows,
                 [[maybe_unused]] bool likeFnmatch = true) {
    for (const auto& [glob, text] : rows) {
        const std::string shown(glob.begin(), glob.end());
        const std::string against(text.begin(), text.end());
        EXPECT_EQ(globMatches(glob, text, inPath), matches)
            << shown << " on " << against << (inPath ? " in a path" : "");
#ifndef _WIN32
        EXPECT_TRUE(!likeFnmatch || (::fnmatch(shown.c_str(), against.c_str(),
                                               inPath ? FNM_PATHNAME : 0) == 0) == matches)
            << "fnmatch: " << shown << " on " << against;
#endif
    }
}

// Rows without a '\', on which the matcher must agree with fnmatch.
TEST(GlobMatches, AgreesWithFnmatch) {
    const GlobPairs names{
        {U"*.exe", U"setup.exe"}, {U"a*b*c", U"a-b-b-c"}, {U"??", U"ab"}, {U"", U""}, {U"*", U""},
        {U"[abc]x", U"bx"},       {U"[!a-c]x", U"dx"}};
    const GlobPairs brackets{{U"[]a]", U"]"},    {U"[!]a]", U"b"}, {U"[a-]", U"-"},
                             {U"[a-c-e]", U"-"}, {U"[", U"["},     {U"[a", U"[a"},
                             {U"[[]x", U"[x"},   {U"*", U"a/b"}};
    const GlobPairs notNames{
        {U"*.exe", U"setup.exe.txt"}, {U"a*b*c", U"a-b-c-"}, {U"?", U""},      {U"[a-c]x", U"dx"},
        {U"[^a-c]x", U"ax"},          {U"[a-c-e]", U"d"},    {U"[z-a]", U"m"}, {U"[!]", U"!"}};
    const GlobPairs paths{
        {U"a/*", U"a/b"}, {U"*/*/c", U"a/b/c"}, {U"*b/c", U"xb/c"}, {U"*/", U"a/"}};
    const GlobPairs notPaths{{U"*", U"a/b"},       {U"?", U"/"},       {U"a[/]b", U"a/b"},
                             {U"[!a]", U"/"},      {U"a/*", U"a/b/c"}, {U"*/c", U"a/b/c"},
                             {U"*b/c", U"a/xb/c"}, {U"a*", U"a/b"}};
    expectGlobs(false, true, names);
    expectGlobs(false, true, brackets);
    expectGlobs(false, false, notNames);
    expectGlobs(true, true, paths);
    expectGlobs(true, false, notPaths);
}

// Windows' separators and characters beyond ASCII, where fnmatch has no say.
TEST(GlobMatches, TakesWindowsSeparatorsAndCodePoints) {
    const GlobPairs paths{{U"a/*", U"a\\b"}, {U"a\\*", U"a/b"}, {U"a\\*", U"a\\b"}};
    const GlobPairs notPaths{{U"*", U"a\\b"}, {U"?", U"\\"}, {U"[\\]", U"\\"}};
    const GlobPairs codePoints{
        {U"?", U"\U0001F600"}, {U"[\u00e0-\u00ff]", U"\u00e9"}, {U"caf?", U"caf\u00e9"}};
    expectGlobs(true, true, paths, false);
    expectGlobs(true, false, notPaths, false);
    expectGlobs(false, false, {{U"a\\*", U"a*"}}, false);
    expectGlobs(false, true, codePoints, false);
}

// Names and paths as the walk matches them: letter case counts on Linux only, and Windows takes
// either separator on either side.
TEST(NameAndPathMatches, FollowTheSystemsRules) {
    // The glob (UTF-8, as arguments arrive), the path, whether it is matched as a path, and whether
    // it matches on Windows and on Linux.
    const std::vector<std::tuple<const char*, std::u8string_view, bool, bool, bool>> rows{
        {"*.EXE", u8"setup.exe", false, true, false},
        {"*.exe", u8"SETUP.EXE", false, true, false},
        {"[A-C]x", u8"bX", false, true, false},
        {"[!a]x", u8"Ax", false, false, true},
        {"*.exe", u8"setup.exe", false, true, true},
        {"caf\xc3\xa9", u8"CAF\u00c9", false, true, false},
        {"Sub/*", u8"sub/d", true, true, false},
        {"sub/*", u8"sub/x/d", true, false, false},
    };
    for (const auto& [glob, path, inPath, onWindows, onLinux] : rows) {
#ifdef _WIN32
        const bool expected = onWindows;
#else
        const bool expected = onLinux;
#endif
        const fs::path system(path);
        const bool matched = inPath ? pathMatches(glob, system) : nameMatches(glob, system);
        EXPECT_EQ(matched, expected) << glob << " on " << std::string(path.begin(), path.end());
    }
}

#ifdef _WIN32
bool isReparsePoint(const fs::path& path) {
    const DWORD attributes = ::GetFileAttributesW(systemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A symbolic link to a folder, as Windows makes one without the right to make links in developer
// mode.
bool madeSymbolicLink(const fs::path& target, const fs::path& link) {
    const DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE | SYMBOLIC_LINK_FLAG_DIRECTORY;
    ::CreateSymbolicLinkW(link.c_str(), fs::path(target).make_preferred().c_str(), flags);
    return isReparsePoint(link);
}

// The Unix path of `path` under wine; empty elsewhere.
std::wstring unixPath(const fs::path& path) {
    using Convert = char* (*)(LPCWSTR);
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* name = convert == nullptr ? nullptr : convert(systemPath(path).c_str());
    if (name == nullptr) {
        return {};
    }
    const std::string bytes(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return fs::path(std::u8string(bytes.begin(), bytes.end())).wstring();
}

// Starts a program of the Unix system under wine, which starts one named by its path on drive Z
// but gives no handle to wait on: whether `done` came true within ten seconds, asked every ten
// milliseconds.
bool ranUnix(std::wstring program, const std::wstring& arguments,
             const std::function<bool()>& done) {
    std::replace(program.begin(), program.end(), L'/', L'\\');
    std::wstring commandLine = L"\"Z:" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process);
    const test::OwnedHandle thread(process.hThread);
    const test::OwnedHandle child(process.hProcess);
    for (int tries = 1000; tries > 0 && !done(); --tries) {
        ::Sleep(10);
    }
    return done();
}

// Removes a Unix link under wine, which removes none itself.
void removeUnixLink(const fs::path& link) {
    ranUnix(L"/bin/rm", L"-f \"" + unixPath(link) + L"\"", [&] {
        return ::GetFileAttributesW(systemPath(link).c_str()) == INVALID_FILE_ATTRIBUTES;
    });
}

// Wine 8 makes no symbolic link (CreateSymbolicLinkW does nothing) and no junction
// (FSCTL_SET_REPARSE_POINT is refused), but lists a Unix link to a folder as a reparse point:
// such a link stands in for one there.
bool madeUnixLink(const fs::path& target, const fs::path& link) {
    const std::wstring unixLink = unixPath(link);
    if (unixLink.empty()) {
        return false;
    }
    if (ranUnix(L"/bin/ln", L"-s \"" + target.generic_wstring() + L"\" \"" + unixLink + L"\"",
                [&] { return isReparsePoint(link); })) {
        return true;
    }
    removeUnixLink(link);
    return false;
}
#endif

// The walks, with the links the system lets a test make.
class TargetsTest : public testing::Test {
protected:
    test::TempDir dir;
#ifdef _WIN32
    std::vector<fs::path> links;

    // The links made, removed before the folder is: removing it could follow them.
    ~TargetsTest() override {
        for (const auto& link : links) {
            if (::RemoveDirectoryW(systemPath(link).c_str()) == FALSE && !unixPath(link).empty()) {
                removeUnixLink(link);
            }
        }
    }
#endif

    // Makes a link at `link` to the folder `target` (relative to the link's folder), where the
    // system makes one.
    bool madeLink(const fs::path& target, const fs::path& link) {
#ifdef _WIN32
        if (!madeSymbolicLink(target, link) && !madeUnixLink(target, link)) {
            return false;
        }
        links.push_back(link);
        return true;
#else
        std::error_code error;
        fs::create_directory_symlink(target, link, error);
        return !error;
#endif
    }

    struct Walked {
        Found targets;  // below the folder
        std::size_t passedOver = 0;
    };

    Walked walk(const std::vector<fs::path>& names, const WalkOptions& options) {
        Walked walked;
        FolderSet seen;
        for (const auto& name : names) {
            collectTarget(dir / name, options, seen, [&](Target&& target) {
                walked.targets.push_back(
                    target.path.lexically_relative(dir.path()).generic_string());
                return true;
            });
        }
        walked.passedOver = seen.passedOver();
        return walked;
    }

    static WalkOptions recursive(bool follow) {
        WalkOptions options;
        options.recursive = true;
        options.follow = follow;
        return options;
    }
};

#ifdef _WIN32
// On Windows a '\' in a glob is a separator too: it makes a glob matched below the root. A name
// matches in any letter case. (The other rules of excluding are in the command-line tests.)
TEST_F(TargetsTest, BackslashInAGlobIsASeparator) {
    for (const char* name : {"tree/a", "tree/Setup.exe", "tree/sub/b", "tree/sub/deep/c"}) {
        dir.write(name, "x");
    }
    auto options = recursive(false);
    options.excludeFiles = {"sub\\*", "*.EXE"};
    options.excludeFolders = {"\\sub\\deep\\"};
    EXPECT_EQ(walk({"tree"}, options).targets, Found{"tree/a"});
}
#endif

// Named twice, or below a folder walked already, a folder is walked once with `follow`, each way
// of naming it known by what the system says it is.
TEST_F(TargetsTest, FollowWalksAFolderOnce) {
    dir.write("tree/a", "x");
    dir.write("tree/sub/b", "x");
    EXPECT_EQ(walk({"tree", "tree/sub", "tree/../tree"}, recursive(true)).targets,
              (Found{"tree/a", "tree/sub/b"}));
    EXPECT_EQ(walk({"tree/sub", "tree"}, recursive(true)).targets, (Found{"tree/sub/b", "tree/a"}));
}

// A tree with a loop back to its root and a link out of it: passed over without `follow`, each
// followed once with it. (Links to files, and to nowhere, are in the command-line tests.)
TEST_F(TargetsTest, LinksPassedOverOrFollowedOnce) {
    dir.write("tree/a", "x");
    dir.write("tree/sub/b", "x");
    dir.write("outside/o", "x");
    for (const auto& [target, link] : std::vector<std::pair<fs::path, fs::path>>{
             {"..", "tree/sub/up"}, {"../outside", "tree/ext"}}) {
        if (!madeLink(target, dir / link)) {
            GTEST_SKIP() << "the system made no link at " << link
                         << " (nor, under wine, a Unix link that it lists as a reparse point)";
        }
    }
    const auto passedOver = walk({"tree"}, recursive(false));
    EXPECT_EQ(passedOver.targets, (Found{"tree/a", "tree/sub/b"}));
    EXPECT_EQ(passedOver.passedOver, 2U);
    EXPECT_EQ(walk({"tree"}, recursive(true)).targets,
              (Found{"tree/a", "tree/ext/o", "tree/sub/b"}));
}

}  // namespace
}  // namespace trovik::cli
