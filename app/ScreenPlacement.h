#pragma once

#include <QRect>
#include <QSize>

#include <array>
#include <vector>

// `window` (a frame rectangle) moved as little as possible to lie inside `area`, the
// available area of a screen; one larger than the area keeps its top-left corner inside.
inline QRect KeptInside(QRect window, const QRect& area) {
    if (area.isEmpty())
        return window;
    if (window.right() > area.right())
        window.moveRight(area.right());
    if (window.bottom() > area.bottom())
        window.moveBottom(area.bottom());
    if (window.left() < area.left())
        window.moveLeft(area.left());
    if (window.top() < area.top())
        window.moveTop(area.top());
    return window;
}

// The sides of the owner a window may open at, in the order it would rather have them.
enum class Side { Right, Below, Left, Above };
using SideOrder = std::array<Side, 4>;

// What a window that opens beside its owner (the Preview, the Output Log beside the main
// dialog) is placed by. Every rectangle is a frame, in screen coordinates.
struct PlacementRequest {
    QRect owner;
    // The owner's buttons: a window that cannot open beside the owner covers as few of
    // them as it can.
    std::vector<QRect> buttons;
    // The size the window asks for, and the smallest it is still of use at: beside the
    // owner it may be given less than it asks, down to that.
    QSize size;
    QSize smallest;
    // The screen's available area.
    QRect area;
    SideOrder sides{Side::Right, Side::Below, Side::Left, Side::Above};
};

// Where the window opens, and at what size: inside the area and never larger than it;
// beside the owner, covering none of it, where the area has room for the window at its
// smallest or more (on the side that gives it the most room, the first of the order among
// equals); otherwise where it covers the fewest of the owner's buttons, at the largest of
// its sizes that does, and there over the least of the owner.
QRect PlacedBeside(const PlacementRequest& request);
