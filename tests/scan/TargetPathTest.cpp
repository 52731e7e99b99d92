#include <gtest/gtest.h>

#include "scan/TargetPath.h"

namespace trovik {
namespace {

struct JoinCase {
    const char* name;
    std::filesystem::path folder;
    std::filesystem::path file;
    std::filesystem::path expected;
};

class BuildTargetPathTest : public testing::TestWithParam<JoinCase> {};

TEST_P(BuildTargetPathTest, JoinsWithExactlyOneSeparator) {
    const auto& param = GetParam();
    EXPECT_EQ(BuildTargetPath(param.folder, param.file).native(), param.expected.native());
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(DriveLetters, BuildTargetPathTest,
                         testing::Values(JoinCase{"FolderGetsOneSeparator", L"C:\\WINDOWS",
                                                  L"notepad.exe", L"C:\\WINDOWS\\notepad.exe"},
                                         JoinCase{"DriveRootKeepsItsOwn", L"C:\\", L"setup.exe",
                                                  L"C:\\setup.exe"},
                                         JoinCase{"OtherDriveRoot", L"A:\\", L"x", L"A:\\x"},
                                         JoinCase{"EmptyNameAtRoot", L"C:\\", L"", L"C:\\"},
                                         JoinCase{"ShareFolder", L"\\\\server\\share\\dir", L"x",
                                                  L"\\\\server\\share\\dir\\x"}),
                         [](const auto& row) { return std::string(row.param.name); });
#else
INSTANTIATE_TEST_SUITE_P(
    Posix, BuildTargetPathTest,
    testing::Values(JoinCase{"FolderGetsOneSeparator", "/usr/bin", "notepad.exe",
                             "/usr/bin/notepad.exe"},
                    JoinCase{"RootKeepsItsOwn", "/", "setup.exe", "/setup.exe"},
                    JoinCase{"EmptyNameAtRoot", "/", "", "/"},
                    JoinCase{"EmptyNameInFolder", "/tmp", "", "/tmp/"},
                    JoinCase{"DoubledSeparatorInsideFolderIsLeftAlone", "//server/share/dir", "x",
                             "//server/share/dir/x"},
                    JoinCase{"BackslashIsAnOrdinaryCharacter", "/tmp", "a\\\\b", "/tmp/a\\\\b"},
                    JoinCase{"NameThatIsNotUtf8", "/tmp", "\xff\xfe.exe", "/tmp/\xff\xfe.exe"}),
    [](const auto& row) { return std::string(row.param.name); });
#endif

}  // namespace
}  // namespace trovik
