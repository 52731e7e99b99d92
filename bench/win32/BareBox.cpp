// A bare program that shows one message box with trovik's title: the baseline for the time from
// start to the greeting.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::MessageBoxW(nullptr, L"greeting", L"trovik by -zelvo-", MB_ICONINFORMATION);
    return 0;
}
