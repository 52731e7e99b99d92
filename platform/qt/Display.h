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

}  // namespace trovik
