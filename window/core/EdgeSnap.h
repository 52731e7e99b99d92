#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "window/core/Layout.h"

namespace trovik {

// How close to a screen edge, in twips, a dropped window must come to be pulled flush with it.
inline constexpr float EdgeSnapMargin = 225.0F;

// A rectangle in twips, as the window and the screen report their position and size.
struct TwipRect {
    float left = 0.0F;
    float top = 0.0F;
    float width = 0.0F;
    float height = 0.0F;
};

// Where a window's top-left corner goes, in twips.
struct TwipPosition {
    float left = 0.0F;
    float top = 0.0F;
};

// The position of a dropped window once it is pulled flush against every edge of the screen that
// it lies less than EdgeSnapMargin from, or beyond. The top edge is tested first, then the bottom,
// then the left, then the right; each test is strict and sees the result of the one before, so a
// window on a screen less than EdgeSnapMargin larger than itself ends flush with the far edge.
// Thresholds and results are rounded to single precision, as the window's coordinates are.
TwipPosition SnapToScreenEdges(const TwipRect& window, const TwipRect& screen);

// Where a window's top-left corner goes, in pixels.
struct PixelPosition {
    int left = 0;
    int top = 0;

    friend constexpr bool operator==(const PixelPosition&, const PixelPosition&) = default;
};

// The same snap for a window and a screen measured in pixels: both are taken to twips at
// layout::TwipsPerPixel, snapped there, and the result rounded to the nearest pixel.
PixelPosition SnapToScreenEdges(const layout::PixelRect& window, const layout::PixelRect& screen);

// The screen a dropped window snaps to, as an index into `screens`: the one that shares the most
// area with it; where it shares none (it lies off every screen), the nearest one, as Windows'
// MonitorFromWindow chooses. None when there are no screens.
std::optional<std::size_t> screenHolding(const layout::PixelRect& window,
                                         std::span<const layout::PixelRect> screens);

}  // namespace trovik
