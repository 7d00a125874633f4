#include "balloon/BalloonGeometry.h"

#include <algorithm>
#include <cmath>

#include "balloon/BalloonOptions.h"

namespace brindle {

int AnchorQuadrant(const BalloonRect& workArea, BalloonPoint anchor) {
    const int midX = workArea.left + (workArea.right - workArea.left) / 2;
    const int midY = workArea.top + (workArea.bottom - workArea.top) / 2;
    const bool upper = anchor.y < midY;
    const bool right = anchor.x >= midX;
    if (upper) {
        return right ? 0 : 1;
    }
    return right ? 2 : 3;
}

bool TailOnTop(int quadrant) {
    return quadrant == 0 || quadrant == 1;
}

BalloonSize ClientSizeFromParts(BalloonSize header, BalloonSize content) {
    return {std::max(header.cx, content.cx), header.cy + content.cy + BH_MARGIN};
}

BalloonSize WindowSizeFromClient(BalloonSize client) {
    return {client.cx + 2 * BH_MARGIN, client.cy + 2 * BH_MARGIN + BH_TAIL};
}

BalloonRect ClientRectInWindow(const BalloonRect& window, int quadrant) {
    BalloonRect client{window.left + BH_MARGIN, window.top + BH_MARGIN, window.right - BH_MARGIN,
                       window.bottom - BH_MARGIN};
    if (TailOnTop(quadrant)) {
        client.top += BH_TAIL;
    } else {
        client.bottom -= BH_TAIL;
    }
    client.right = std::max(client.right, client.left);
    client.bottom = std::max(client.bottom, client.top);
    return client;
}

BalloonRect ContentWrapRect(const BalloonRect& workArea, int top) {
    const int width = workArea.Width();
    return {0, top, width - width / 2, workArea.Height()};
}

BalloonPlacement PlaceBalloon(BalloonSize window, const BalloonRect& workArea,
                              BalloonPoint anchor) {
    const int cx = window.cx;
    const int cy = window.cy;
    const int n = (cx - BH_TAIL) / 4;

    BalloonPlacement placement;
    placement.quadrant = AnchorQuadrant(workArea, anchor);
    placement.size = window;
    BalloonTail& tail = placement.tail;
    switch (placement.quadrant) {
        case 0:
            placement.bodyTop = BH_TAIL;
            placement.bodyBottom = cy;
            tail = {{3 * n, 21}, {3 * n + 20, 1}, {3 * n + 20, 21}};
            break;
        case 1:
            placement.bodyTop = BH_TAIL;
            placement.bodyBottom = cy;
            tail = {{n + 20, 21}, {n, 1}, {n, 21}};
            break;
        case 2:
            placement.bodyTop = 0;
            placement.bodyBottom = cy - BH_TAIL;
            tail = {{3 * n, cy - 22}, {3 * n + 20, cy - 2}, {3 * n + 20, cy - 22}};
            break;
        default:
            placement.bodyTop = 0;
            placement.bodyBottom = cy - BH_TAIL;
            tail = {{n + 20, cy - 22}, {n, cy - 2}, {n, cy - 22}};
            break;
    }
    for (BalloonPoint* point : {&tail.a, &tail.tip, &tail.c}) {
        point->x = std::min(std::max(point->x, BH_MARGIN), cx - BH_MARGIN);
    }

    int x = anchor.x - tail.tip.x;
    int y = anchor.y - tail.tip.y;

    // The top and bottom BH_TAIL pixels are left out of account on either side, so the
    // tail band may lie outside the work area.
    int dx = 0;
    if (x < workArea.left) {
        dx = workArea.left - x;
    } else if (x + cx >= workArea.right) {
        dx = workArea.right - x - cx;
    }
    int dy = 0;
    if (y + BH_TAIL < workArea.top) {
        dy = workArea.top - y - BH_TAIL;
    } else if (y + cy - BH_TAIL >= workArea.bottom) {
        dy = workArea.bottom - y - cy + BH_TAIL;
    }
    // The tip follows the horizontal correction so that it still points at the anchor.
    x += dx;
    tail.tip.x -= dx;
    y += dy;
    placement.topLeft = {x, y};
    return placement;
}

std::vector<BalloonRect> RoundRectSpans(const BalloonRect& rect, int ellipseWidth,
                                        int ellipseHeight) {
    std::vector<BalloonRect> spans;
    if (rect.IsEmpty()) {
        return spans;
    }
    const int height = rect.Height();
    const double rx = std::min(ellipseWidth, rect.Width()) / 2.0;
    const int ryRows = std::min(ellipseHeight, height) / 2;
    const double ry = std::min(ellipseHeight, height) / 2.0;
    // Inset of each corner row, measured at the row's centre on the corner ellipse.
    auto inset = [&](int rowFromEdge) {
        const double dy = (ry - (rowFromEdge + 0.5)) / ry;
        const double along = std::sqrt(std::max(0.0, 1.0 - dy * dy));
        return static_cast<int>(std::lround(rx - rx * along));
    };
    auto add = [&](int top, int bottom, int cut) {
        const BalloonRect span{rect.left + cut, top, rect.right - cut, bottom};
        if (span.IsEmpty()) {
            return;
        }
        if (!spans.empty() && spans.back().left == span.left && spans.back().right == span.right &&
            spans.back().bottom == span.top) {
            spans.back().bottom = span.bottom;
        } else {
            spans.push_back(span);
        }
    };
    for (int row = 0; row < ryRows; ++row) {
        add(rect.top + row, rect.top + row + 1, inset(row));
    }
    add(rect.top + ryRows, rect.bottom - ryRows, 0);
    for (int row = ryRows - 1; row >= 0; --row) {
        add(rect.bottom - row - 1, rect.bottom - row, inset(row));
    }
    return spans;
}

BalloonRgb InnerShadowLight(BalloonRgb background) {
    auto light = [](int component) { return std::min(component / 3 + 170, 255); };
    return {light(background.red), light(background.green), light(background.blue)};
}

BalloonRgb InnerShadowDark(BalloonRgb background, BalloonRgb text) {
    auto dark = [](int back, int fore) { return 2 * (back / 3) + fore / 3; };
    return {dark(background.red, text.red), dark(background.green, text.green),
            dark(background.blue, text.blue)};
}

}  // namespace brindle
