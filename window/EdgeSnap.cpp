#include "window/EdgeSnap.h"

namespace trovik {
namespace {

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

}  // namespace

TwipPosition SnapToScreenEdges(const TwipRect& window, const TwipRect& screen) {
    TwipPosition snapped;
    snapped.top = snapAxis(window.top, window.height, screen.top, screen.height);
    snapped.left = snapAxis(window.left, window.width, screen.left, screen.width);
    return snapped;
}

}  // namespace trovik
