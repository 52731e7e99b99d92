#include "window/core/EdgeSnap.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

std::optional<std::size_t> screenHolding(const layout::PixelRect& window,
                                         std::span<const layout::PixelRect> screens) {
    // The overlap along one axis, negative for the gap between the two when they do not overlap.
    const auto overlap = [](std::int64_t start, std::int64_t size, std::int64_t otherStart,
                            std::int64_t otherSize) {
        return std::min(start + size, otherStart + otherSize) - std::max(start, otherStart);
    };
    std::optional<std::size_t> best;
    std::int64_t bestArea = 0;
    std::int64_t bestGap = 0;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        const layout::PixelRect& screen = screens[i];
        const std::int64_t across = overlap(window.left, window.width, screen.left, screen.width);
        const std::int64_t down = overlap(window.top, window.height, screen.top, screen.height);
        const std::int64_t area = across > 0 && down > 0 ? across * down : 0;
        const std::int64_t gapAcross = std::min<std::int64_t>(across, 0);
        const std::int64_t gapDown = std::min<std::int64_t>(down, 0);
        const std::int64_t gap = gapAcross * gapAcross + gapDown * gapDown;
        if (!best || area > bestArea || (area == 0 && bestArea == 0 && gap < bestGap)) {
            best = i;
            bestArea = area;
            bestGap = gap;
        }
    }
    return best;
}

}  // namespace trovik
