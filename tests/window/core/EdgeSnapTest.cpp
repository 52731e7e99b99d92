#include <gtest/gtest.h>

#include "window/core/EdgeSnap.h"

namespace trovik {
namespace {

// An 800 by 600 pixel screen and the 265 by 220 pixel window, in twips; and a second screen to
// the right of the first and below its top, 1024 by 768 pixels, whose edges bound the window.
constexpr TwipRect Screen{0.0F, 0.0F, 12000.0F, 9000.0F};
constexpr TwipRect RightScreen{12000.0F, 1500.0F, 15360.0F, 11520.0F};
constexpr float WindowWidth = 3975.0F;
constexpr float WindowHeight = 3300.0F;

constexpr TwipRect windowAt(float left, float top) {
    return TwipRect{left, top, WindowWidth, WindowHeight};
}

TEST(SnapToScreenEdges, PlacesTheDroppedWindow) {
    const struct {
        const char* name;
        TwipRect window;
        TwipRect screen;
        TwipPosition expected;
    } rows[] = {
        {"top exactly at the margin stays", windowAt(3000, 225), Screen, {3000, 225}},
        {"top just inside the margin snaps", windowAt(3000, 224.5F), Screen, {3000, 0}},
        {"near bottom snaps flush", windowAt(3000, 5500), Screen, {3000, 5700}},
        {"bottom exactly at the margin stays", windowAt(3000, 5475), Screen, {3000, 5475}},
        {"near left snaps to zero", windowAt(75, 3000), Screen, {0, 3000}},
        {"near right snaps flush", windowAt(7900, 3000), Screen, {8025, 3000}},
        {"near the second screen's top", windowAt(18000, 1600), RightScreen, {18000, 1500}},
        {"near the second screen's right", windowAt(23300, 6000), RightScreen, {23385, 6000}},
    };
    for (const auto& row : rows) {
        const TwipPosition snapped = SnapToScreenEdges(row.window, row.screen);
        EXPECT_EQ(snapped.left, row.expected.left) << row.name;
        EXPECT_EQ(snapped.top, row.expected.top) << row.name;
    }
}

// Two screens side by side: the window snaps on the one it shares most with; off both, on the
// nearer one.
TEST(ScreenHolding, TheScreenSharingMostOfTheWindowElseTheNearest) {
    const layout::PixelRect screens[] = {{0, 0, 800, 600}, {800, 0, 1024, 768}};
    const struct {
        layout::PixelRect window;
        std::size_t screen;
    } rows[] = {{{10, 10, 265, 220}, 0},  {{700, 10, 265, 220}, 1},  {{600, 10, 265, 220}, 0},
                {{10, 650, 265, 220}, 0}, {{900, 900, 265, 220}, 1}, {{-500, -500, 265, 220}, 0},
                {{1900, 10, 265, 220}, 1}};
    for (const auto& row : rows) {
        EXPECT_EQ(screenHolding(row.window, screens), row.screen) << row.window.left;
    }
    EXPECT_EQ(screenHolding({0, 0, 1, 1}, {}), std::nullopt);
}

}  // namespace
}  // namespace trovik
