#include "platform/win32/Win32Screen.h"

namespace trovik {

RECT Win32ScreenService::monitorHolding(HWND window) {
    MONITORINFO information{};
    information.cbSize = sizeof information;
    const HMONITOR monitor = window != nullptr
                                 ? ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                                 : ::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (::GetMonitorInfoW(monitor, &information) == FALSE) {
        return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    return information.rcMonitor;
}

}  // namespace trovik
