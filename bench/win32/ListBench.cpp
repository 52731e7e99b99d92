// Lists a folder into the Win32 window's File1 and, in the same run, with a bare FindFirstFileExW
// loop, and prints the medians and their ratio. Usage: trovik_win32_list_bench FOLDER [RUNS]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/win32/Win32MessageBoxService.h"
#include "platform/win32/Win32Screen.h"
#include "platform/win32/Win32VolumeService.h"
#include "window/win32/Form1.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    std::ranges::sort(values);
    return values[values.size() / 2];
}

std::size_t bareLoop(const std::wstring& folder) {
    WIN32_FIND_DATAW entry{};
    HANDLE find = ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    std::size_t names = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            ++names;
        } while (::FindNextFileW(find, &entry) != FALSE);
        ::FindClose(find);
    }
    return names;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return 2;
    }
    const std::wstring folder = argv[1];
    const int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    trovik::Win32MessageBoxService messages("trovik");
    trovik::Win32VolumeService volumes;
    trovik::Win32ScreenService screens;
    trovik::SystemWindowMove move;
    trovik::Form1 form({messages, trovik::systemFileService(), volumes, screens, move, [] {},
                        std::filesystem::path(folder)});
    form.show();
    std::vector<double> bare;
    std::vector<double> listed;
    std::size_t names = 0;
    for (int run = 0; run < runs; ++run) {
        auto start = Clock::now();
        names = bareLoop(folder);
        bare.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        start = Clock::now();
        form.Dir1_Change();  // re-reads the folder into File1
        listed.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    const auto shown = ::SendMessageW(form.File1, LB_GETCOUNT, 0, 0);
    std::printf(
        "%zu names, %lld in File1, %d runs: bare FindFirstFileExW loop %.4f s, File1 %.4f s, "
        "ratio %.2f\n",
        names, static_cast<long long>(shown), runs, median(bare), median(listed),
        median(listed) / median(bare));
    return 0;
}
