// Reads a window's bounding shape from the X server and checks that it is a balloon's: a
// rounded rectangle over the whole width, and in a band of 20 pixels above or below it a
// triangular tail whose tip lies on the anchor point.
//     BalloonShapeProbe <window id> <anchor x> <anchor y>
// The anchor is in root window coordinates. Prints one line per check; exits 0 when all
// hold, 1 otherwise, 2 on bad arguments or without an X server or its shape extension.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kTail = 20;

int g_failures = 0;

void Check(bool condition, const std::string& what) {
    std::printf("%s: %s\n", condition ? "ok" : "FAILED", what.c_str());
    if (!condition)
        ++g_failures;
}

struct Shape {
    std::vector<XRectangle> rects;

    bool Contains(int x, int y) const {
        return std::any_of(rects.begin(), rects.end(), [&](const XRectangle& r) {
            return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
        });
    }
    // The columns of one row that lie in the shape, leftmost and rightmost (-1 when none).
    std::pair<int, int> Row(int y, int width) const {
        int first = -1;
        int last = -1;
        for (int x = 0; x < width; ++x)
            if (Contains(x, y)) {
                if (first < 0)
                    first = x;
                last = x;
            }
        return {first, last};
    }
};

std::string Point(int x, int y) {
    return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: BalloonShapeProbe <window id> <anchor x> <anchor y>\n");
        return 2;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    const int anchorX = std::atoi(argv[2]);
    const int anchorY = std::atoi(argv[3]);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no X server\n");
        return 2;
    }
    int eventBase = 0;
    int errorBase = 0;
    if (!XShapeQueryExtension(display, &eventBase, &errorBase)) {
        std::fprintf(stderr, "the X server has no shape extension\n");
        XCloseDisplay(display);
        return 2;
    }

    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) {
        std::fprintf(stderr, "no window %s\n", argv[1]);
        XCloseDisplay(display);
        return 2;
    }
    const int width = attributes.width;
    const int height = attributes.height;
    int left = 0;
    int top = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, attributes.root, 0, 0, &left, &top, &child);
    std::printf("window %dx%d at %s, anchor %s\n", width, height, Point(left, top).c_str(),
                Point(anchorX, anchorY).c_str());
    Check(attributes.map_state == IsViewable, "the window is on the screen");

    Bool boundingShaped = False;
    Bool clipShaped = False;
    int bx = 0, by = 0, cx = 0, cy = 0;
    unsigned bw = 0, bh = 0, cw = 0, ch = 0;
    XShapeQueryExtents(display, window, &boundingShaped, &bx, &by, &bw, &bh, &clipShaped, &cx, &cy,
                       &cw, &ch);
    Check(boundingShaped, "the window has a bounding shape of its own");

    Shape shape;
    int count = 0;
    int ordering = 0;
    if (XRectangle* rects =
            XShapeGetRectangles(display, window, ShapeBounding, &count, &ordering)) {
        shape.rects.assign(rects, rects + count);
        XFree(rects);
    }
    XCloseDisplay(display);
    std::printf("%d rectangles in the bounding shape\n", count);
    Check(width > 4 * kTail && height > 3 * kTail, "the window is larger than its tail");
    if (width <= 4 * kTail || height <= 3 * kTail)
        return 1;

    // The tip is one pixel inside the window's edge, on the anchor.
    const int tipX = anchorX - left;
    const int tipY = anchorY - top;
    const bool tailOnTop = tipY < height / 2;
    Check(tipY == (tailOnTop ? 1 : height - 2), "the tail's tip row lies on the anchor");
    Check(tipX >= 0 && tipX < width, "the tail's tip column lies on the anchor");
    const int bodyTop = tailOnTop ? kTail : 0;
    const int bodyBottom = tailOnTop ? height - 1 : height - 1 - kTail;
    const int middle = (bodyTop + bodyBottom) / 2;

    // The body: its edges are in the shape, its corners are rounded off.
    for (const auto& [x, y] : {std::pair{width / 2, middle},
                               {0, middle},
                               {width - 1, middle},
                               {width / 2, bodyTop},
                               {width / 2, bodyBottom}})
        Check(shape.Contains(x, y), "the body holds " + Point(x, y));
    for (const auto& [x, y] :
         {std::pair{0, bodyTop}, {width - 1, bodyTop}, {0, bodyBottom}, {width - 1, bodyBottom}})
        Check(!shape.Contains(x, y), "the corner " + Point(x, y) + " is cut off");

    // The tail band: only a right triangle, whose vertical edge runs from the tip to the
    // body at the tip's column, and which widens from the tip towards the body.
    int previous = 0;
    bool filled = true;
    bool nearTheTip = true;
    bool widens = true;
    bool leftEdgeStays = true;
    bool rightEdgeStays = true;
    std::pair<int, int> firstRow{-1, -1};
    for (int step = 2; step < kTail; ++step) {
        const int y = tailOnTop ? step : height - 1 - step;
        const auto row = shape.Row(y, width);
        const auto [first, last] = row;
        const int span = first < 0 ? 0 : last - first + 1;
        filled = filled && span > 0;
        nearTheTip =
            nearTheTip && (first < 0 || (first >= tipX - kTail - 1 && last <= tipX + kTail));
        widens = widens && span >= previous;
        if (step == 2)
            firstRow = row;
        leftEdgeStays = leftEdgeStays && std::abs(first - firstRow.first) <= 1;
        rightEdgeStays = rightEdgeStays && std::abs(last - firstRow.second) <= 1;
        previous = span;
    }
    Check(filled, "every row of the tail band past the tip holds part of the tail");
    Check(nearTheTip, "the tail band holds nothing farther than the tail's base from the tip");
    Check(widens, "the tail widens towards the body");
    Check(previous >= kTail - 3 && previous <= kTail + 1, "the tail's base is 20 pixels wide");
    Check(leftEdgeStays != rightEdgeStays, "one side of the tail runs straight from the tip");

    std::printf("%d failure(s)\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
