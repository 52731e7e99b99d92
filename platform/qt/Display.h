#pragma once

#include <optional>
#include <string>

namespace trovik {

// Why the window cannot be shown on this system, or nothing when it can: on X11 and Wayland a
// display must be named. A platform chosen through QT_QPA_PLATFORM (offscreen, vnc ...) is
// trusted. Reads the environment; call it before the application object is made.
std::optional<std::string> missingDisplay();

// The same decision from the three variables' values (null when unset).
std::optional<std::string> missingDisplay(const char* platform, const char* display,
                                          const char* waylandDisplay);

// Where the desktop is a Wayland session that also offers XWayland, selects Qt's X11 platform so
// that the window can place itself. Does nothing when the platform has been chosen explicitly.
// Reads the environment; call it before the application object is made.
void preferXWayland();

// The same decision from the values of QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY and
// XDG_SESSION_TYPE (null or empty when unset).
bool shouldPreferXWayland(const char* platform, const char* display, const char* waylandDisplay,
                          const char* sessionType);

}  // namespace trovik
