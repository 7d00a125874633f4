#pragma once
// How many of a dialog's buttons a window covers, and the fewest it could cover anywhere in
// an area, found by trying every place (not by the placement's own candidates).

#include <QRect>
#include <QSize>

#include <algorithm>
#include <vector>

namespace apptest {

inline int Covered(const QRect& frame, const std::vector<QRect>& buttons) {
    return static_cast<int>(std::count_if(buttons.begin(), buttons.end(),
                                          [&](const QRect& b) { return frame.intersects(b); }));
}

inline int FewestCovered(QSize size, const QRect& area, const std::vector<QRect>& buttons) {
    int fewest = static_cast<int>(buttons.size());
    for (int y = area.top(); y + size.height() - 1 <= area.bottom(); ++y)
        for (int x = area.left(); x + size.width() - 1 <= area.right(); ++x)
            fewest = std::min(fewest, Covered(QRect(QPoint(x, y), size), buttons));
    return fewest;
}

}  // namespace apptest
