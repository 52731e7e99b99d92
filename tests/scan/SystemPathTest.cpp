#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/io/SystemPath.h"

namespace trovik {
namespace {

// A path, the current folder, and the path's extended-length form: absolute, and the names in it
// untouched. A path deeper than the 260 characters of the ordinary form is joined as any other:
// the command-line tests walk one on Windows.
TEST(ExtendedLengthPath, AbsoluteExtendedAndNamesUntouched) {
    const std::tuple<std::wstring, std::wstring, std::wstring> rows[] = {
        {L"C:\\Users\\me\\a.exe", L"D:\\w", L"\\\\?\\C:\\Users\\me\\a.exe"},
        // A trailing dot or space is kept.
        {L"C:\\w\\setup.exe.", L"", L"\\\\?\\C:\\w\\setup.exe."},
        {L"sub\\name ", L"C:\\work", L"\\\\?\\C:\\work\\sub\\name "},
        {L"x.", L"C:\\work\\", L"\\\\?\\C:\\work\\x."},
        // Slashes and dot steps are taken by their text, and never above the root.
        {L"c:/a/./b/../c./", L"", L"\\\\?\\C:\\a\\c."},
        {L"..\\..\\..\\x", L"C:\\a", L"\\\\?\\C:\\x"},
        // From the root of the current drive, or of the current share.
        {L"/Users/me/f.exe", L"D:\\work", L"\\\\?\\D:\\Users\\me\\f.exe"},
        {L"\\x", L"\\\\?\\UNC\\server\\share\\d", L"\\\\?\\UNC\\server\\share\\x"},
        {L"\\\\server\\share\\d\\f", L"C:\\", L"\\\\?\\UNC\\server\\share\\d\\f"},
        {L"f", L"\\\\server\\share\\d", L"\\\\?\\UNC\\server\\share\\d\\f"},
        {L"a", L"\\\\?\\C:\\w", L"\\\\?\\C:\\w\\a"},
        // Paths in the extended form, and devices, are taken as they are.
        {L"\\\\?\\C:\\a\\..\\b.", L"C:\\w", L"\\\\?\\C:\\a\\..\\b."},
        {L"\\\\.\\pipe\\p", L"C:\\w", L"\\\\.\\pipe\\p"},
        // Relative to a drive: the current folder on the current drive, else that drive's root.
        {L"c:x", L"C:\\w", L"\\\\?\\C:\\w\\x"},
        {L"D:x", L"C:\\w", L"\\\\?\\D:\\x"},
        // Nothing is the current folder, and a drive's root ends in its separator.
        {L"", L"C:\\w", L"\\\\?\\C:\\w"},
        {L"C:\\", L"", L"\\\\?\\C:\\"},
    };
    for (const auto& [path, currentFolder, expected] : rows) {
        EXPECT_EQ(extendedLengthPath(path, currentFolder), expected)
            << testing::PrintToString(path) << " in " << testing::PrintToString(currentFolder);
    }
}

}  // namespace
}  // namespace trovik
