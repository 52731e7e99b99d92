#pragma once

#include <windows.h>

namespace trovik {

// The whole rectangle, task bar included, of the monitor that holds most of the window (the
// primary monitor for no window), in pixels of the virtual screen.
class ScreenService {
public:
    virtual ~ScreenService() = default;
    virtual RECT monitorHolding(HWND window) = 0;
};

class Win32ScreenService final : public ScreenService {
public:
    RECT monitorHolding(HWND window) override;
};

}  // namespace trovik
