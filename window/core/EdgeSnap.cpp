#include "window/core/EdgeSnap.h"

#include <cmath>

namespace trovik {
namespace {

constexpr auto TwipsPerPixel = static_cast<float>(layout::TwipsPerPixel);

// One axis: the near edge first, then the far edge, which sees the near edge's result. Each
// threshold is computed exactly and rounded once to single precision.
float snapAxis(float position, float size, float screenStart, float screenSize) {
    const double start = screenStart;
    const double margin = EdgeSnapMargin;
    if (position < static_cast<float>(start + margin)) {
        position = screenStart;
    }
    const double farEdge = start + static_cast<double>(screenSize) - static_cast<double>(size);
    if (static_cast<float>(farEdge - margin) < position) {
        position = static_cast<float>(farEdge);
    }
    return position;
}

TwipRect toTwips(const layout::PixelRect& pixels) {
    return TwipRect{static_cast<float>(pixels.left) * TwipsPerPixel,
                    static_cast<float>(pixels.top) * TwipsPerPixel,
                    static_cast<float>(pixels.width) * TwipsPerPixel,
                    static_cast<float>(pixels.height) * TwipsPerPixel};
}

int toPixel(float twips) {
    return static_cast<int>(std::lround(twips / TwipsPerPixel));
}

}  // namespace

TwipPosition SnapToScreenEdges(const TwipRect& window, const TwipRect& screen) {
    TwipPosition snapped;
    snapped.top = snapAxis(window.top, window.height, screen.top, screen.height);
    snapped.left = snapAxis(window.left, window.width, screen.left, screen.width);
    return snapped;
}

PixelPosition SnapToScreenEdges(const layout::PixelRect& window, const layout::PixelRect& screen) {
    const TwipPosition snapped = SnapToScreenEdges(toTwips(window), toTwips(screen));
    return {toPixel(snapped.left), toPixel(snapped.top)};
}

}  // namespace trovik
