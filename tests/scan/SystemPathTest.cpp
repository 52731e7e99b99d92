#include <gtest/gtest.h>

#include "platform/io/SystemPath.h"

namespace trovik {
namespace {

struct SystemPathCase {
    const char* name;
    std::wstring path;
    std::wstring currentFolder;
    std::wstring expected;
};

class ExtendedLengthPathTest : public testing::TestWithParam<SystemPathCase> {};

TEST_P(ExtendedLengthPathTest, AbsoluteExtendedAndNamesUntouched) {
    EXPECT_EQ(extendedLengthPath(GetParam().path, GetParam().currentFolder), GetParam().expected);
}

// A path deeper than the 260 characters of the ordinary form is joined as any other: the
// command-line tests walk one on Windows.
INSTANTIATE_TEST_SUITE_P(
    Forms, ExtendedLengthPathTest,
    testing::Values(
        SystemPathCase{"DrivePath", L"C:\\Users\\me\\a.exe", L"D:\\w",
                       L"\\\\?\\C:\\Users\\me\\a.exe"},
        SystemPathCase{"TrailingDotAndSpaceKept", L"C:\\w\\setup.exe.", L"",
                       L"\\\\?\\C:\\w\\setup.exe."},
        SystemPathCase{"RelativeJoinedToTheCurrentFolder", L"sub\\name ", L"C:\\work",
                       L"\\\\?\\C:\\work\\sub\\name "},
        SystemPathCase{"CurrentFolderEndingInASeparator", L"x.", L"C:\\work\\",
                       L"\\\\?\\C:\\work\\x."},
        SystemPathCase{"SlashesAndDotStepsByTheirText", L"c:/a/./b/../c./", L"",
                       L"\\\\?\\C:\\a\\c."},
        SystemPathCase{"NeverAboveTheRoot", L"..\\..\\..\\x", L"C:\\a", L"\\\\?\\C:\\x"},
        SystemPathCase{"FromTheRootOfTheCurrentDrive", L"/Users/me/f.exe", L"D:\\work",
                       L"\\\\?\\D:\\Users\\me\\f.exe"},
        SystemPathCase{"Share", L"\\\\server\\share\\d\\f", L"C:\\",
                       L"\\\\?\\UNC\\server\\share\\d\\f"},
        SystemPathCase{"RelativeOnAShare", L"f", L"\\\\server\\share\\d",
                       L"\\\\?\\UNC\\server\\share\\d\\f"},
        SystemPathCase{"FromTheRootOfTheCurrentShare", L"\\x", L"\\\\?\\UNC\\server\\share\\d",
                       L"\\\\?\\UNC\\server\\share\\x"},
        SystemPathCase{"CurrentFolderInTheExtendedForm", L"a", L"\\\\?\\C:\\w", L"\\\\?\\C:\\w\\a"},
        SystemPathCase{"ExtendedTakenAsItIs", L"\\\\?\\C:\\a\\..\\b.", L"C:\\w",
                       L"\\\\?\\C:\\a\\..\\b."},
        SystemPathCase{"DeviceTakenAsItIs", L"\\\\.\\pipe\\p", L"C:\\w", L"\\\\.\\pipe\\p"},
        SystemPathCase{"DriveRelativeOnTheCurrentDrive", L"c:x", L"C:\\w", L"\\\\?\\C:\\w\\x"},
        SystemPathCase{"DriveRelativeOnAnotherDrive", L"D:x", L"C:\\w", L"\\\\?\\D:\\x"},
        SystemPathCase{"EmptyIsTheCurrentFolder", L"", L"C:\\w", L"\\\\?\\C:\\w"},
        SystemPathCase{"DriveRoot", L"C:\\", L"", L"\\\\?\\C:\\"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace trovik
