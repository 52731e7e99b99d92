#include <gtest/gtest.h>

#include <tuple>

#include "scan/TargetPath.h"

namespace trovik {
namespace {

// On POSIX systems the join is held to its rule, on any bytes, by the fuzzer; the scan command's
// tests see it join a folder and the root.
#ifdef _WIN32
TEST(BuildTargetPath, JoinsWithExactlyOneSeparator) {
    const std::tuple<std::wstring, std::wstring, std::wstring> cases[] = {
        {L"C:\\WINDOWS", L"notepad.exe", L"C:\\WINDOWS\\notepad.exe"},
        // A drive's root keeps its own separator.
        {L"C:\\", L"setup.exe", L"C:\\setup.exe"},
        {L"C:\\", L"", L"C:\\"},
        {L"\\\\server\\share\\dir", L"x", L"\\\\server\\share\\dir\\x"},
    };
    for (const auto& [folder, file, expected] : cases) {
        EXPECT_EQ(BuildTargetPath(folder, file).native(), expected)
            << testing::PrintToString(folder);
    }
}
#endif

}  // namespace
}  // namespace trovik
