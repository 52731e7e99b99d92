#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cli/Glob.h"
#include "cli/Targets.h"
#include "support/TempDir.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/io/SystemPath.h"
#else
#include <fnmatch.h>
#endif

namespace trovik::cli {
namespace {

namespace fs = std::filesystem;

struct GlobRow {
    std::u32string glob;
    std::u32string text;
    bool inPath;
    bool matches;
};

// Rows without a '\', on which the matcher must agree with fnmatch; on Linux each row is checked
// against fnmatch too, so that the table says what fnmatch says.
TEST(GlobMatches, AgreesWithFnmatch) {
    const std::vector<GlobRow> rows{
        {U"*.exe", U"setup.exe", false, true},
        {U"*.exe", U"setup.exe.txt", false, false},
        {U"a*b*c", U"a-b-b-c", false, true},
        {U"a*b*c", U"a-b-c-", false, false},
        {U"?", U"", false, false},
        {U"??", U"ab", false, true},
        {U"", U"", false, true},
        {U"*", U"", false, true},
        {U"[abc]x", U"bx", false, true},
        {U"[a-c]x", U"dx", false, false},
        {U"[!a-c]x", U"dx", false, true},
        {U"[^a-c]x", U"ax", false, false},
        {U"[]a]", U"]", false, true},
        {U"[!]a]", U"b", false, true},
        {U"[a-]", U"-", false, true},
        {U"[a-c-e]", U"d", false, false},
        {U"[a-c-e]", U"-", false, true},
        {U"[z-a]", U"m", false, false},
        {U"[", U"[", false, true},
        {U"[a", U"[a", false, true},
        {U"[!]", U"!", false, false},
        {U"[[]x", U"[x", false, true},
        {U"*", U"a/b", false, true},
        {U"*", U"a/b", true, false},
        {U"?", U"/", true, false},
        {U"a[/]b", U"a/b", true, false},
        {U"[!a]", U"/", true, false},
        {U"a/*", U"a/b", true, true},
        {U"a/*", U"a/b/c", true, false},
        {U"*/c", U"a/b/c", true, false},
        {U"*/*/c", U"a/b/c", true, true},
        {U"*b/c", U"xb/c", true, true},
        {U"*b/c", U"a/xb/c", true, false},
        {U"a*", U"a/b", true, false},
        {U"*/", U"a/", true, true},
    };
    for (const auto& [glob, text, inPath, matches] : rows) {
        const std::string shown(glob.begin(), glob.end());
        const std::string against(text.begin(), text.end());
        EXPECT_EQ(globMatches(glob, text, inPath), matches)
            << shown << " on " << against << (inPath ? " in a path" : "");
#ifndef _WIN32
        EXPECT_EQ(::fnmatch(shown.c_str(), against.c_str(), inPath ? FNM_PATHNAME : 0) == 0,
                  matches)
            << "fnmatch: " << shown << " on " << against;
#endif
    }
}

// Windows' separators and characters beyond ASCII, where fnmatch has no say.
TEST(GlobMatches, TakesWindowsSeparatorsAndCodePoints) {
    const std::vector<GlobRow> rows{
        {U"a/*", U"a\\b", true, true},
        {U"a\\*", U"a/b", true, true},
        {U"a\\*", U"a\\b", true, true},
        {U"*", U"a\\b", true, false},
        {U"?", U"\\", true, false},
        {U"[\\]", U"\\", true, false},
        {U"a\\*", U"a*", false, false},
        {U"?", U"\U0001F600", false, true},
        {U"[\u00e0-\u00ff]", U"\u00e9", false, true},
        {U"caf?", U"caf\u00e9", false, true},
    };
    for (std::size_t row = 0; row < rows.size(); ++row) {
        EXPECT_EQ(globMatches(rows[row].glob, rows[row].text, rows[row].inPath), rows[row].matches)
            << "row " << row;
    }
}

struct SystemGlobRow {
    const char* glob;  // UTF-8, as arguments arrive
    std::u8string_view path;
    bool inPath;
    bool onWindows;
    bool onLinux;
};

// Names and paths as the walk matches them: letter case counts on Linux only, and Windows takes
// either separator on either side.
TEST(NameAndPathMatches, FollowTheSystemsRules) {
    const std::vector<SystemGlobRow> rows{
        {"*.EXE", u8"setup.exe", false, true, false},
        {"*.exe", u8"SETUP.EXE", false, true, false},
        {"[A-C]x", u8"bX", false, true, false},
        {"[!a]x", u8"Ax", false, false, true},
        {"*.exe", u8"setup.exe", false, true, true},
        {"*.exe", u8"setup.txt", false, false, false},
        {"caf\xc3\xa9", u8"CAF\u00c9", false, true, false},
        {"Sub/*", u8"sub/d", true, true, false},
        {"sub/*", u8"sub/x/d", true, false, false},
        {"sub/d", u8"sub/d", true, true, true},
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

// The walks, with the links the system lets a test make.
class TargetsTest : public testing::Test {
protected:
    test::TempDir dir;

    struct Walked {
        std::vector<std::string> targets;  // path below the folder, then ": " and the error's text
        std::size_t passedOver = 0;
    };

    Walked walk(const std::vector<fs::path>& names, const WalkOptions& options) {
        Walked walked;
        FolderSet seen;
        for (const auto& name : names) {
            collectTarget(dir / name, options, seen, [&](Target&& target) {
                auto line = target.path.lexically_relative(dir.path()).generic_string();
                if (target.error) {
                    line += ": " + target.error.message();
                }
                walked.targets.push_back(line);
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
    EXPECT_EQ(walk({"tree"}, options).targets, std::vector<std::string>{"tree/a"});
}
#endif

// Named twice, or below a folder walked already, a folder is walked once with `follow`, each way
// of naming it known by what the system says it is.
TEST_F(TargetsTest, FollowWalksAFolderOnce) {
    dir.write("tree/a", "x");
    dir.write("tree/sub/b", "x");
    const std::vector<std::string> once{"tree/a", "tree/sub/b"};
    EXPECT_EQ(walk({"tree", "tree/sub", "tree/../tree"}, recursive(true)).targets, once);
    EXPECT_EQ(walk({"tree/sub", "tree"}, recursive(true)).targets,
              (std::vector<std::string>{"tree/sub/b", "tree/a"}));
    EXPECT_EQ(walk({"tree", "tree"}, recursive(false)).targets,
              (std::vector<std::string>{"tree/a", "tree/sub/b", "tree/a", "tree/sub/b"}));
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
    return ::CreateSymbolicLinkW(link.c_str(), fs::path(target).make_preferred().c_str(), flags) !=
               0 &&
           isReparsePoint(link);
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

// Whether `done` came true within ten seconds, asked every ten milliseconds.
bool cameTrue(const std::function<bool()>& done) {
    for (int tries = 1000; tries > 0; --tries) {
        if (done()) {
            return true;
        }
        ::Sleep(10);
    }
    return done();
}

// Starts a program of the Unix system under wine, which starts one named by its path on drive Z
// but gives no handle to wait on: the caller waits for what it does.
void startUnix(const std::wstring& program, const std::wstring& arguments) {
    std::wstring onDriveZ = L"Z:" + program;
    std::replace(onDriveZ.begin(), onDriveZ.end(), L'/', L'\\');
    std::wstring commandLine = L"\"" + onDriveZ + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &process) != FALSE) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
}

bool isThere(const fs::path& path) {
    return ::GetFileAttributesW(systemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes a Unix link under wine, which removes none itself.
void removeUnixLink(const fs::path& link) {
    startUnix(L"/bin/rm", L"-f \"" + unixPath(link) + L"\"");
    cameTrue([&] { return !isThere(link); });
}

// Wine 8 makes no symbolic link (CreateSymbolicLinkW does nothing) and no junction
// (FSCTL_SET_REPARSE_POINT is refused), but lists a Unix link to a folder as a reparse point:
// such a link stands in for one there.
bool madeUnixLink(const fs::path& target, const fs::path& link) {
    const std::wstring unixLink = unixPath(link);
    if (unixLink.empty()) {
        return false;
    }
    startUnix(L"/bin/ln",
              L"-s \"" + fs::path(target).generic_wstring() + L"\" \"" + unixLink + L"\"");
    if (cameTrue([&] { return isReparsePoint(link); })) {
        return true;
    }
    removeUnixLink(link);
    return false;
}
#endif

// The links of one test, removed before the folder is: removing the folder could follow them.
class Links {
public:
    Links() = default;
    Links(const Links&) = delete;
    Links& operator=(const Links&) = delete;
    ~Links() {
        for (const auto& link : m_made) {
#ifdef _WIN32
            if (::RemoveDirectoryW(systemPath(link).c_str()) == FALSE && !unixPath(link).empty()) {
                removeUnixLink(link);
            }
#else
            std::error_code ignored;
            fs::remove(link, ignored);
#endif
        }
    }

    // A link at `link` to the folder `target` (relative to the link's folder); empty, or why the
    // system would not make one.
    std::string make(const fs::path& target, const fs::path& link) {
#ifdef _WIN32
        if (!madeSymbolicLink(target, link) && !madeUnixLink(target, link)) {
            return "the system made no link at " + link.string() +
                   ": no symbolic link (nor, under wine, a Unix link that it lists as a reparse "
                   "point)";
        }
#else
        std::error_code error;
        fs::create_directory_symlink(target, link, error);
        if (error) {
            return error.message();
        }
#endif
        m_made.push_back(link);
        return {};
    }

private:
    std::vector<fs::path> m_made;
};

// A tree with a loop back to its root and a link out of it: passed over without `follow`, each
// followed once with it. (Links to files, and to nowhere, are in the command-line tests.)
TEST_F(TargetsTest, LinksPassedOverOrFollowedOnce) {
    dir.write("tree/a", "x");
    dir.write("tree/sub/b", "x");
    dir.write("outside/o", "x");
    Links links;
    for (const auto& [target, link] : std::vector<std::pair<fs::path, fs::path>>{
             {"..", "tree/sub/up"}, {"../outside", "tree/ext"}}) {
        if (const auto why = links.make(target, dir / link); !why.empty()) {
            GTEST_SKIP() << why;
        }
    }
    const auto passedOver = walk({"tree"}, recursive(false));
    EXPECT_EQ(passedOver.targets, (std::vector<std::string>{"tree/a", "tree/sub/b"}));
    EXPECT_EQ(passedOver.passedOver, 2U);
    EXPECT_EQ(walk({"tree"}, recursive(true)).targets,
              (std::vector<std::string>{"tree/a", "tree/ext/o", "tree/sub/b"}));
}

}  // namespace
}  // namespace trovik::cli
