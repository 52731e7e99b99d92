#include <gtest/gtest.h>

#include "scan/TargetPath.h"

namespace trovik {
namespace {

// On POSIX systems the join is held to its rule, on any bytes, by the fuzzer; the scan command's
// tests see it join a folder and the root.
#ifdef _WIN32
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
#endif

}  // namespace
}  // namespace trovik
