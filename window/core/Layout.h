#pragma once

#include <string_view>

namespace trovik::layout {

// The form is laid out in twips at 15 twips per device-independent pixel; the toolkit scales
// those pixels to the screen, so the picture and the controls stay together at any density.
inline constexpr int TwipsPerPixel = 15;

constexpr int toPixels(int twips) {
    return twips / TwipsPerPixel;
}

// A rectangle in device-independent pixels; each window turns it into its toolkit's own.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

// A control's place on the form, in twips from the client area's top-left corner.
struct ControlPlace {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    [[nodiscard]] constexpr PixelRect pixels() const {
        return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
    }
};

inline constexpr ControlPlace Form1Client{0, 0, 3975, 3300};  // 265 by 220 pixels

inline constexpr ControlPlace Drive1Place{150, 480, 1830, 240};
inline constexpr ControlPlace Dir1Place{150, 810, 1830, 2340};
inline constexpr ControlPlace File1Place{2070, 480, 1740, 2130};
inline constexpr ControlPlace Label1Place{2160, 2745, 1560, 345};
inline constexpr ControlPlace Label2Place{2190, 2775, 1560, 345};  // the shadow, 30 twips off
inline constexpr ControlPlace Label3Place{3555, 60, 150, 210};     // over the painted "-"
inline constexpr ControlPlace Label4Place{3735, 60, 150, 210};     // over the painted "X"

// The caption of Label1 and of its shadow, Label2.
inline constexpr std::string_view CaptionText = "Scan File!";

// Font sizes in points, turned into pixels at the same 15 twips per pixel (20 twips a point).
constexpr int pointsToPixels(double points) {
    // Points are never negative, so adding a half and truncating rounds to the nearest.
    // NOLINTNEXTLINE(bugprone-incorrect-roundings)
    return static_cast<int>(points * 20.0 / TwipsPerPixel + 0.5);
}
inline constexpr double ListFontPoints = 6.0;
inline constexpr double CaptionFontPoints = 15.75;

}  // namespace trovik::layout
