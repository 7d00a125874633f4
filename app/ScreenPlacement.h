#pragma once

#include <QRect>

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
