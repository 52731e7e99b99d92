#include <gtest/gtest.h>

#include <string>

#include "window/EdgeSnap.h"

namespace trovik {
namespace {

// An 800 by 600 pixel screen and the 265 by 220 pixel window, in twips.
constexpr TwipRect Screen{0.0F, 0.0F, 12000.0F, 9000.0F};
constexpr float WindowWidth = 3975.0F;
constexpr float WindowHeight = 3300.0F;

struct SnapCase {
    const char* name;
    TwipRect window;
    TwipRect screen;
    TwipPosition expected;
};

TwipRect windowAt(float left, float top) {
    return TwipRect{left, top, WindowWidth, WindowHeight};
}

class SnapToScreenEdgesTest : public testing::TestWithParam<SnapCase> {};

TEST_P(SnapToScreenEdgesTest, PlacesTheDroppedWindow) {
    const SnapCase& row = GetParam();
    const TwipPosition snapped = SnapToScreenEdges(row.window, row.screen);
    EXPECT_EQ(snapped.left, row.expected.left);
    EXPECT_EQ(snapped.top, row.expected.top);
}

INSTANTIATE_TEST_SUITE_P(
    OneScreen, SnapToScreenEdgesTest,
    testing::Values(
        SnapCase{"NearTopSnapsToZero", windowAt(3000, 100), Screen, {3000, 0}},
        SnapCase{"TopExactlyAtMarginStays", windowAt(3000, 225), Screen, {3000, 225}},
        SnapCase{"TopJustInsideMarginSnaps", windowAt(3000, 224.5F), Screen, {3000, 0}},
        SnapCase{"AboveTheScreenSnapsToZero", windowAt(3000, -1500), Screen, {3000, 0}},
        SnapCase{"NearBottomSnapsFlush", windowAt(3000, 5500), Screen, {3000, 5700}},
        SnapCase{"BottomExactlyAtMarginStays", windowAt(3000, 5475), Screen, {3000, 5475}},
        SnapCase{"BelowTheScreenSnapsFlush", windowAt(3000, 8000), Screen, {3000, 5700}},
        SnapCase{"NearLeftSnapsToZero", windowAt(75, 3000), Screen, {0, 3000}},
        SnapCase{"LeftExactlyAtMarginStays", windowAt(225, 3000), Screen, {225, 3000}},
        SnapCase{"NegativeLeftSnapsToZero", windowAt(-600, 3000), Screen, {0, 3000}},
        SnapCase{"NearRightSnapsFlush", windowAt(7900, 3000), Screen, {8025, 3000}},
        SnapCase{"RightExactlyAtMarginStays", windowAt(7800, 3000), Screen, {7800, 3000}},
        SnapCase{"BeyondTheRightSnapsFlush", windowAt(11000, 3000), Screen, {8025, 3000}},
        SnapCase{"CornerSnapsBothWays", windowAt(7900, 100), Screen, {8025, 0}},
        SnapCase{"FlushWindowStaysFlush", windowAt(8025, 5700), Screen, {8025, 5700}},
        SnapCase{"OriginStays", windowAt(0, 0), Screen, {0, 0}},
        SnapCase{"MiddleStays", windowAt(4000, 2850), Screen, {4000, 2850}},
        // On a screen less than the margin larger than the window, the near edge wins first and
        // the far edge then pulls the window flush with itself.
        SnapCase{"NarrowScreenEndsFlushWithFarEdges",
                 windowAt(50, 40),
                 TwipRect{0, 0, WindowWidth + 150, WindowHeight + 100},
                 {150, 100}},
        SnapCase{"ScreenOfWindowSizeEndsAtZero",
                 windowAt(300, 300),
                 TwipRect{0, 0, WindowWidth, WindowHeight},
                 {0, 0}},
        // The threshold 33555456 - 1 - 225 = 33555230 rounds to 33555232 in single precision,
        // which is not less than the Top of 33555232: the window stays.
        SnapCase{"FarThresholdIsRoundedToSinglePrecision",
                 TwipRect{0, 33555232.0F, 15, 1},
                 TwipRect{0, 0, 12000, 33555456.0F},
                 {0, 33555232.0F}}),
    [](const auto& row) { return std::string(row.param.name); });

// A second screen to the right of an 800 by 600 one and below its top, 1024 by 768 pixels: its
// edges bound the window, not those of the first screen.
constexpr TwipRect RightScreen{12000.0F, 1500.0F, 15360.0F, 11520.0F};

INSTANTIATE_TEST_SUITE_P(
    ScreenAwayFromOrigin, SnapToScreenEdgesTest,
    testing::Values(
        SnapCase{"NearItsTopSnapsToItsTop", windowAt(18000, 1600), RightScreen, {18000, 1500}},
        SnapCase{"NearItsLeftSnapsToItsLeft", windowAt(12100, 6000), RightScreen, {12000, 6000}},
        SnapCase{"NearItsRightSnapsFlush", windowAt(23300, 6000), RightScreen, {23385, 6000}},
        SnapCase{"NearItsBottomSnapsFlush", windowAt(18000, 9600), RightScreen, {18000, 9720}},
        SnapCase{"InsideStaysPastTheFirstScreensEdges",
                 windowAt(18000, 6000),
                 RightScreen,
                 {18000, 6000}}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace trovik
