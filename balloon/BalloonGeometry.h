#pragma once

// The balloon's geometry, and the colours of its inner shadow, in plain values, so that
// every number of the layout can be checked without a screen. Rectangles exclude their
// right and bottom edges.

#include <vector>

namespace brindle {

struct BalloonPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const BalloonPoint&, const BalloonPoint&) = default;
};

struct BalloonSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const BalloonSize&, const BalloonSize&) = default;
};

struct BalloonRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const BalloonRect&, const BalloonRect&) = default;
};

// The tail triangle: its vertical edge runs from the tip to C, its base from A to C.
struct BalloonTail {
    BalloonPoint a;
    BalloonPoint tip;
    BalloonPoint c;
    friend bool operator==(const BalloonTail&, const BalloonTail&) = default;
};

// Where a balloon of a given size goes for an anchor: window position on the screen,
// the vertical extent of its body and its tail, in window coordinates.
struct BalloonPlacement {
    int quadrant = 0;
    BalloonPoint topLeft;
    BalloonSize size;
    int bodyTop = 0;
    int bodyBottom = 0;
    BalloonTail tail;
    friend bool operator==(const BalloonPlacement&, const BalloonPlacement&) = default;
};

struct BalloonRgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const BalloonRgb&, const BalloonRgb&) = default;
};

// 0 upper right, 1 upper left, 2 lower right, 3 lower left of the work area.
int AnchorQuadrant(const BalloonRect& workArea, BalloonPoint anchor);

// Quadrants 0 and 1 hang the balloon below the anchor, with the tail on top.
bool TailOnTop(int quadrant);

// The client area holds the header, an 8-pixel gap (even under an empty header) and the
// content.
BalloonSize ClientSizeFromParts(BalloonSize header, BalloonSize content);

// The client area plus two margins in each direction and the tail band.
BalloonSize WindowSizeFromClient(BalloonSize client);

// The client rectangle inside a window rectangle: the margins and the tail band taken off.
BalloonRect ClientRectInWindow(const BalloonRect& window, int quadrant);

// The content wraps at half the work-area width, rounded up.
BalloonRect ContentWrapRect(const BalloonRect& workArea, int top);

// Size, tail and position of a balloon for an anchor on the screen, kept in the work area.
BalloonPlacement PlaceBalloon(BalloonSize window, const BalloonRect& workArea, BalloonPoint anchor);

// A rounded rectangle as horizontal spans, top to bottom; the corners are quarters of an
// ellipse of the given width and height.
std::vector<BalloonRect> RoundRectSpans(const BalloonRect& rect, int ellipseWidth,
                                        int ellipseHeight);

// The inner shadow's edges: light inside the top and left, dark inside the bottom and right.
BalloonRgb InnerShadowLight(BalloonRgb background);
BalloonRgb InnerShadowDark(BalloonRgb background, BalloonRgb text);

}  // namespace brindle
