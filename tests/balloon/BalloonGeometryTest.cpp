#include "balloon/BalloonGeometry.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace brindle {

void PrintTo(const BalloonPoint& point, std::ostream* out) {
    *out << "(" << point.x << ", " << point.y << ")";
}

void PrintTo(const BalloonRect& rect, std::ostream* out) {
    *out << "{" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom
         << "}";
}

void PrintTo(const BalloonRgb& rgb, std::ostream* out) {
    *out << "rgb(" << rgb.red << ", " << rgb.green << ", " << rgb.blue << ")";
}

namespace {

TEST(BalloonGeometryTest, QuadrantSplitsTheWorkAreaAtItsMiddle) {
    struct Case {
        BalloonRect workArea;
        BalloonPoint anchor;
        int quadrant;
    };
    const Case cases[] = {
        {{0, 0, 1000, 800}, {500, 399}, 0},    {{0, 0, 1000, 800}, {499, 399}, 1},
        {{0, 0, 1000, 800}, {500, 400}, 2},    {{0, 0, 1000, 800}, {499, 400}, 3},
        {{100, 50, 1101, 851}, {600, 449}, 0}, {{100, 50, 1101, 851}, {599, 449}, 1},
        {{100, 50, 1101, 851}, {600, 450}, 2}, {{-1280, 0, 0, 1024}, {-641, 600}, 3},
        {{0, 0, 1000, 800}, {5000, -300}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.anchor));
        EXPECT_EQ(AnchorQuadrant(c.workArea, c.anchor), c.quadrant);
    }
}

TEST(BalloonGeometryTest, PlacementPutsTheTipOnTheAnchorAndKeepsTheBodyInTheWorkArea) {
    struct Case {
        std::string name;
        BalloonSize window;
        BalloonRect workArea;
        BalloonPoint anchor;
        BalloonPlacement expected;
    };
    const BalloonRect screen{0, 0, 1000, 800};
    const Case cases[] = {
        // 200 wide: n = 45.
        {"upper left",
         {200, 100},
         screen,
         {300, 200},
         {1, {255, 199}, {200, 100}, 20, 100, {{65, 21}, {45, 1}, {45, 21}}}},
        {"upper right",
         {200, 100},
         screen,
         {700, 200},
         {0, {545, 199}, {200, 100}, 20, 100, {{135, 21}, {155, 1}, {155, 21}}}},
        {"lower right",
         {200, 100},
         screen,
         {700, 600},
         {2, {545, 502}, {200, 100}, 0, 80, {{135, 78}, {155, 98}, {155, 78}}}},
        {"lower left",
         {200, 100},
         screen,
         {300, 600},
         {3, {255, 502}, {200, 100}, 0, 80, {{65, 78}, {45, 98}, {45, 78}}}},
        // Past the right edge: moved left onto it, the tip moved right by as much.
        {"right edge",
         {200, 100},
         screen,
         {990, 200},
         {0, {800, 199}, {200, 100}, 20, 100, {{135, 21}, {190, 1}, {155, 21}}}},
        // Ending exactly on the right edge still counts as reaching it, and moves by 0.
        {"on the right edge",
         {200, 100},
         screen,
         {955, 200},
         {0, {800, 199}, {200, 100}, 20, 100, {{135, 21}, {155, 1}, {155, 21}}}},
        {"left edge",
         {200, 100},
         screen,
         {10, 200},
         {1, {0, 199}, {200, 100}, 20, 100, {{65, 21}, {10, 1}, {45, 21}}}},
        // Above the work area: the body starts at its top; the tail no longer reaches.
        {"above the work area",
         {200, 100},
         {0, 100, 1000, 900},
         {300, 50},
         {1, {255, 80}, {200, 100}, 20, 100, {{65, 21}, {45, 1}, {45, 21}}}},
        {"below the work area",
         {200, 100},
         screen,
         {300, 830},
         {3, {255, 720}, {200, 100}, 0, 80, {{65, 78}, {45, 98}, {45, 78}}}},
        // A narrow balloon keeps its tail within the margins.
        {"narrow, upper right",
         {40, 60},
         screen,
         {700, 200},
         {0, {668, 199}, {40, 60}, 20, 60, {{15, 21}, {32, 1}, {32, 21}}}},
        {"narrow, upper left",
         {40, 60},
         screen,
         {300, 200},
         {1, {292, 199}, {40, 60}, 20, 60, {{25, 21}, {8, 1}, {8, 21}}}},
        {"offset work area",
         {120, 80},
         {-1280, 0, 0, 1024},
         {-1000, 100},
         {1, {-1025, 99}, {120, 80}, 20, 80, {{45, 21}, {25, 1}, {25, 21}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BalloonPlacement placement = PlaceBalloon(c.window, c.workArea, c.anchor);
        EXPECT_EQ(placement.quadrant, c.expected.quadrant);
        EXPECT_EQ(placement.topLeft, c.expected.topLeft);
        EXPECT_EQ(placement.size, c.expected.size);
        EXPECT_EQ(placement.bodyTop, c.expected.bodyTop);
        EXPECT_EQ(placement.bodyBottom, c.expected.bodyBottom);
        EXPECT_EQ(placement.tail.a, c.expected.tail.a);
        EXPECT_EQ(placement.tail.tip, c.expected.tail.tip);
        EXPECT_EQ(placement.tail.c, c.expected.tail.c);
    }
}

TEST(BalloonGeometryTest, TipStaysOnTheAnchorUnlessTheBalloonMovesVertically) {
    const BalloonRect screen{0, 0, 1000, 800};
    for (int x = 0; x < 1000; x += 37) {
        for (int y = 30; y < 750; y += 41) {
            const BalloonPlacement placement = PlaceBalloon({180, 90}, screen, {x, y});
            SCOPED_TRACE(::testing::PrintToString(BalloonPoint{x, y}));
            EXPECT_EQ(placement.topLeft.x + placement.tail.tip.x, x);
            EXPECT_EQ(placement.topLeft.y + placement.tail.tip.y, y);
            EXPECT_GE(placement.topLeft.x, screen.left);
            EXPECT_LE(placement.topLeft.x + 180, screen.right);
        }
    }
}

TEST(BalloonGeometryTest, ClientRectLeavesMarginsAndTheTailBand) {
    struct Case {
        BalloonRect window;
        int quadrant;
        BalloonRect client;
    };
    const Case cases[] = {
        {{0, 0, 200, 100}, 0, {8, 28, 192, 92}}, {{0, 0, 200, 100}, 1, {8, 28, 192, 92}},
        {{0, 0, 200, 100}, 2, {8, 8, 192, 72}},  {{0, 0, 200, 100}, 3, {8, 8, 192, 72}},
        {{0, 0, 10, 10}, 1, {8, 28, 8, 28}},     {{0, 0, 10, 10}, 3, {8, 8, 8, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quadrant);
        EXPECT_EQ(ClientRectInWindow(c.window, c.quadrant), c.client);
    }
}

TEST(BalloonGeometryTest, ContentWrapsAtHalfTheWorkAreaRoundedUp) {
    EXPECT_EQ(ContentWrapRect({0, 0, 1001, 800}, 8), (BalloonRect{0, 8, 501, 800}));
    EXPECT_EQ(ContentWrapRect({0, 0, 1000, 800}, 0), (BalloonRect{0, 0, 500, 800}));
    EXPECT_EQ(ContentWrapRect({-1280, 40, 0, 1024}, 30), (BalloonRect{0, 30, 640, 984}));
}

TEST(BalloonGeometryTest, SizesAddTheGapMarginsAndTail) {
    struct Case {
        BalloonSize header;
        BalloonSize content;
        BalloonSize client;
        BalloonSize window;
    };
    const Case cases[] = {
        {{0, 0}, {0, 0}, {0, 8}, {16, 44}},
        {{0, 0}, {120, 30}, {120, 38}, {136, 74}},
        {{200, 16}, {120, 30}, {200, 54}, {216, 90}},
        {{90, 19}, {300, 45}, {300, 72}, {316, 108}},
    };
    for (const Case& c : cases) {
        const BalloonSize client = ClientSizeFromParts(c.header, c.content);
        EXPECT_EQ(client, c.client);
        EXPECT_EQ(WindowSizeFromClient(client), c.window);
    }
}

TEST(BalloonGeometryTest, RoundRectSpansCoverEveryRowOnceWithMirroredCorners) {
    const BalloonRect body{0, 20, 200, 100};
    const auto spans = RoundRectSpans(body, 24, 24);
    ASSERT_FALSE(spans.empty());

    std::vector<std::pair<int, int>> rows;  // left and right of each row, top to bottom
    int nextRow = body.top;
    for (const BalloonRect& span : spans) {
        ASSERT_EQ(span.top, nextRow);
        for (int y = span.top; y < span.bottom; ++y) {
            rows.emplace_back(span.left, span.right);
        }
        nextRow = span.bottom;
    }
    ASSERT_EQ(nextRow, body.bottom);
    ASSERT_EQ(rows.size(), 80U);

    for (std::size_t row = 0; row < rows.size(); ++row) {
        const auto [left, right] = rows[row];
        EXPECT_EQ(left, body.right - right) << "row " << row;  // mirrored left and right
        EXPECT_EQ(rows[rows.size() - 1 - row], rows[row]) << "row " << row;
        if (row >= 12 && row < 68) {
            EXPECT_EQ(left, 0) << "row " << row;
        }
        if (row > 0 && row < 12) {
            EXPECT_LE(left, rows[row - 1].first) << "row " << row;
        }
    }
    // The corner curve starts well inside and meets the straight sides at the 12th row.
    EXPECT_GT(rows.front().first, 6);
    EXPECT_LT(rows.front().first, 12);
    EXPECT_LE(rows[11].first, 1);

    EXPECT_TRUE(RoundRectSpans({5, 5, 5, 40}, 24, 24).empty());
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
        {{255, 255, 220}, {0, 0, 0}, {255, 255, 243}, {170, 170, 146}},
        {{0, 0, 0}, {90, 0, 255}, {170, 170, 170}, {30, 0, 85}},
        {{255, 255, 255}, {255, 255, 255}, {255, 255, 255}, {255, 255, 255}},
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
