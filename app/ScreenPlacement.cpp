#include "app/ScreenPlacement.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

namespace {

// Between the owner's frame and a window beside it.
constexpr int kGap = 4;

std::int64_t AreaOf(const QRect& rect) {
    return rect.isEmpty() ? 0 : std::int64_t{rect.width()} * rect.height();
}

// The window on `side` of the owner, as wide (or high) as the room there allows down to
// `smallest`; empty when the side has less room than that.
QRect BesideOn(Side side, const PlacementRequest& request, QSize size, QSize smallest) {
    const QRect& owner = request.owner;
    const QRect& area = request.area;
    switch (side) {
        case Side::Right: {
            const int room = area.right() - owner.right() - kGap;
            if (room < smallest.width())
                return {};
            const int width = std::min(size.width(), room);
            return {owner.right() + 1 + kGap, owner.top(), width, size.height()};
        }
        case Side::Left: {
            const int room = owner.left() - kGap - area.left();
            if (room < smallest.width())
                return {};
            const int width = std::min(size.width(), room);
            return {owner.left() - kGap - width, owner.top(), width, size.height()};
        }
        case Side::Below: {
            const int room = area.bottom() - owner.bottom() - kGap;
            if (room < smallest.height())
                return {};
            const int height = std::min(size.height(), room);
            return {owner.left(), owner.bottom() + 1 + kGap, size.width(), height};
        }
        case Side::Above: {
            const int room = owner.top() - kGap - area.top();
            if (room < smallest.height())
                return {};
            const int height = std::min(size.height(), room);
            return {owner.left(), owner.top() - kGap - height, size.width(), height};
        }
    }
    return {};
}

}  // namespace

QRect PlacedBeside(const PlacementRequest& request) {
    const QRect& area = request.area;
    const QRect& owner = request.owner;
    if (area.isEmpty())
        return {owner.right() + 1 + kGap, owner.top(), request.size.width(), request.size.height()};
    const QSize size = request.size.boundedTo(area.size()).expandedTo(QSize(1, 1));
    const QSize smallest = request.smallest.boundedTo(size).expandedTo(QSize(1, 1));

    std::vector<QRect> candidates;
    for (const Side side : request.sides) {
        const QRect beside = BesideOn(side, request, size, smallest);
        if (!beside.isEmpty())
            candidates.push_back(KeptInside(beside, area));
    }
    // No side with room, or one that leaves the window too little of it: the places where
    // an edge of the window meets an edge of the area, of the owner or of a button.
    for (const QSize s : {size, QSize(size.width(), smallest.height()),
                          QSize(smallest.width(), size.height()), smallest}) {
        std::vector<int> xs{area.left(),
                            area.right() + 1 - s.width(),
                            owner.left(),
                            owner.right() + 1 - s.width(),
                            owner.left() - kGap - s.width(),
                            owner.right() + 1 + kGap};
        std::vector<int> ys{area.top(),
                            area.bottom() + 1 - s.height(),
                            owner.top(),
                            owner.bottom() + 1 - s.height(),
                            owner.top() - kGap - s.height(),
                            owner.bottom() + 1 + kGap};
        for (const QRect& button : request.buttons) {
            xs.push_back(button.left() - s.width());
            xs.push_back(button.right() + 1);
            ys.push_back(button.top() - s.height());
            ys.push_back(button.bottom() + 1);
        }
        for (const int x : xs)
            for (const int y : ys)
                candidates.push_back(KeptInside(QRect(QPoint(x, y), s), area));
    }

    const std::int64_t asked = AreaOf(QRect(QPoint(), size));
    const auto cost = [&](const QRect& frame) {
        const auto covered =
            std::count_if(request.buttons.begin(), request.buttons.end(),
                          [&](const QRect& button) { return frame.intersects(button); });
        const std::int64_t over = AreaOf(frame & owner);
        return std::tuple{covered, over != 0, asked - AreaOf(frame), over};
    };
    // The first of the cheapest: a side before the fallback places, in the order asked.
    return *std::min_element(candidates.begin(), candidates.end(),
                             [&](const QRect& a, const QRect& b) { return cost(a) < cost(b); });
}
