#include "balloon/BalloonGeometry.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace brindle {

void PrintTo(const BalloonPoint& point, std::ostream* out) {
    *out << "(" << point.x << ", " << point.y << ")";
}

void PrintTo(const BalloonRgb& rgb, std::ostream* out) {
    *out << "rgb(" << rgb.red << ", " << rgb.green << ", " << rgb.blue << ")";
}

namespace {

TEST(BalloonGeometryTest, QuadrantSplitsTheWorkAreaAtItsMiddle) {
    const BalloonRect screen{0, 0, 1000, 800};
    const BalloonRect offset{100, 50, 1101, 851};  // middle at (600, 450)
    EXPECT_EQ(AnchorQuadrant(screen, {500, 399}), 0);
    EXPECT_EQ(AnchorQuadrant(screen, {499, 399}), 1);
    EXPECT_EQ(AnchorQuadrant(screen, {500, 400}), 2);
    EXPECT_EQ(AnchorQuadrant(screen, {499, 400}), 3);
    EXPECT_EQ(AnchorQuadrant(offset, {600, 449}), 0);
    EXPECT_EQ(AnchorQuadrant(offset, {599, 450}), 3);
}

TEST(BalloonGeometryTest, PlacementPutsTheTipOnTheAnchorAndKeepsTheBodyInTheWorkArea) {
    struct Case {
        std::string name;
        BalloonSize window;
        BalloonRect workArea;
        BalloonPoint anchor;
        int quadrant;
        BalloonPoint topLeft;
        BalloonTail tail;
    };
    const BalloonRect screen{0, 0, 1000, 800};
    const Case cases[] = {
        // 200 wide: n = 45.
        {"upper left",
         {200, 100},
         screen,
         {300, 200},
         1,
         {255, 199},
         {{65, 21}, {45, 1}, {45, 21}}},
        {"upper right",
         {200, 100},
         screen,
         {700, 200},
         0,
         {545, 199},
         {{135, 21}, {155, 1}, {155, 21}}},
        {"lower right",
         {200, 100},
         screen,
         {700, 600},
         2,
         {545, 502},
         {{135, 78}, {155, 98}, {155, 78}}},
        // Past the right edge: moved left onto it, the tip moved right by as much.
        {"right edge",
         {200, 100},
         screen,
         {990, 200},
         0,
         {800, 199},
         {{135, 21}, {190, 1}, {155, 21}}},
        // Ending exactly on the right edge moves it by nothing.
        {"on the right edge",
         {200, 100},
         screen,
         {955, 200},
         0,
         {800, 199},
         {{135, 21}, {155, 1}, {155, 21}}},
        {"left edge", {200, 100}, screen, {10, 200}, 1, {0, 199}, {{65, 21}, {10, 1}, {45, 21}}},
        // Above the work area: the body starts at its top; the tail no longer reaches.
        {"above the work area",
         {200, 100},
         {0, 100, 1000, 900},
         {300, 50},
         1,
         {255, 80},
         {{65, 21}, {45, 1}, {45, 21}}},
        {"below the work area",
         {200, 100},
         screen,
         {300, 830},
         3,
         {255, 720},
         {{65, 78}, {45, 98}, {45, 78}}},
        // A narrow balloon keeps its tail within the margins.
        {"narrow", {40, 60}, screen, {700, 200}, 0, {668, 199}, {{15, 21}, {32, 1}, {32, 21}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BalloonPlacement placement = PlaceBalloon(c.window, c.workArea, c.anchor);
        EXPECT_EQ(placement.quadrant, c.quadrant);
        EXPECT_EQ(placement.topLeft, c.topLeft);
        EXPECT_EQ(placement.tail.a, c.tail.a);
        EXPECT_EQ(placement.tail.tip, c.tail.tip);
        EXPECT_EQ(placement.tail.c, c.tail.c);
        const bool tailOnTop = c.quadrant < 2;
        EXPECT_EQ(placement.bodyTop, tailOnTop ? 20 : 0);
        EXPECT_EQ(placement.bodyBottom, c.window.cy - (tailOnTop ? 0 : 20));
    }
}

TEST(BalloonGeometryTest, SizesAndRectanglesOfTheParts) {
    // The 8-pixel gap stays under an empty header; margins and the tail band come on top.
    EXPECT_EQ(ClientSizeFromParts({0, 0}, {0, 0}), (BalloonSize{0, 8}));
    EXPECT_EQ(ClientSizeFromParts({200, 16}, {120, 30}), (BalloonSize{200, 54}));
    EXPECT_EQ(WindowSizeFromClient({120, 38}), (BalloonSize{136, 74}));

    EXPECT_EQ(ClientRectInWindow({0, 0, 200, 100}, 1), (BalloonRect{8, 28, 192, 92}));
    EXPECT_EQ(ClientRectInWindow({0, 0, 200, 100}, 2), (BalloonRect{8, 8, 192, 72}));
    EXPECT_EQ(ClientRectInWindow({0, 0, 10, 10}, 0), (BalloonRect{8, 28, 8, 28}));

    // Half the work area, rounded up.
    EXPECT_EQ(ContentWrapRect({0, 0, 1001, 800}, 8), (BalloonRect{0, 8, 501, 800}));
    EXPECT_EQ(ContentWrapRect({-1280, 40, 0, 1024}, 30), (BalloonRect{0, 30, 640, 984}));
}

TEST(BalloonGeometryTest, InnerShadowColours) {
    struct Case {
        BalloonRgb background;
        BalloonRgb text;
        BalloonRgb light;
        BalloonRgb dark;
    };
    const Case cases[] = {
        {{255, 255, 225}, {0, 0, 0}, {255, 255, 245}, {170, 170, 150}},
        {{100, 2, 254}, {10, 20, 31}, {203, 170, 254}, {69, 6, 178}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.background));
        EXPECT_EQ(InnerShadowLight(c.background), c.light);
        EXPECT_EQ(InnerShadowDark(c.background, c.text), c.dark);
    }
}

}  // namespace
}  // namespace brindle
