#include "platform/qt/Display.h"

#include <QByteArray>
#include <QtGlobal>
#include <cstdlib>
#include <string_view>

namespace trovik {
namespace {

bool isSet(const char* value) {
    return value != nullptr && *value != '\0';
}

}  // namespace

std::optional<std::string> missingDisplay(const char* platform, const char* display,
                                          const char* waylandDisplay) {
    if (isSet(platform)) {
        const std::string_view chosen(platform);
        if (chosen.starts_with("xcb") && !isSet(display)) {
            return "no X display to show the window on (DISPLAY is not set)";
        }
        if (chosen.starts_with("wayland") && !isSet(waylandDisplay)) {
            return "no Wayland display to show the window on (WAYLAND_DISPLAY is not set)";
        }
        return std::nullopt;
    }
    if (!isSet(display) && !isSet(waylandDisplay)) {
        return "no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    }
    return std::nullopt;
}

bool shouldPreferXWayland(const char* platform, const char* display, const char* waylandDisplay,
                          const char* sessionType) {
    const bool waylandSession =
        isSet(waylandDisplay) || (isSet(sessionType) && std::string_view(sessionType) == "wayland");
    return !isSet(platform) && isSet(display) && waylandSession;
}

void preferXWayland() {
    if (shouldPreferXWayland(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"),
                             std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_SESSION_TYPE"))) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
    }
}

std::optional<std::string> missingDisplay() {
    return missingDisplay(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"),
                          std::getenv("WAYLAND_DISPLAY"));
}

}  // namespace trovik
