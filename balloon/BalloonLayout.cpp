// CBalloonWnd's layout: the anchor on the screen and its work area, the sizes the draw
// routines measure, and Reposition, which gives the window its size, place and shape. The
// numbers themselves come from the plain-value functions of BalloonGeometry.

#include "balloon/BalloonWnd.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPolygon>
#include <QScreen>

#include <algorithm>

namespace brindle {

namespace {

constexpr int kCornerEllipse = 24;

QRect ToQRect(const BalloonRect& rect) {
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

QScreen* NearestScreen(QPoint point) {
    if (QScreen* screen = QGuiApplication::screenAt(point)) {
        return screen;
    }
    QScreen* nearest = nullptr;
    long long nearestDistance = 0;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens) {
        const QRect area = screen->geometry();
        const long long dx = std::max({area.left() - point.x(), 0, point.x() - area.right()});
        const long long dy = std::max({area.top() - point.y(), 0, point.y() - area.bottom()});
        const long long distance = dx * dx + dy * dy;
        if (nearest == nullptr || distance < nearestDistance) {
            nearest = screen;
            nearestDistance = distance;
        }
    }
    return nearest;
}

}  // namespace

QSize CBalloonWnd::CaptionButtonSize() const {
    const int extent = style()->pixelMetric(QStyle::PM_TitleBarButtonSize, nullptr, this);
    return QSize(extent, extent);
}

QPoint CBalloonWnd::AnchorOnScreen() const {
    if (m_anchorWindow) {
        return m_anchorWindow->mapToGlobal(m_anchor);
    }
    return m_anchor;
}

BalloonRect CBalloonWnd::WorkArea() {
    if (!m_workArea || m_workArea->IsEmpty()) {
        const QScreen* screen = NearestScreen(AnchorOnScreen());
        const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
        m_workArea = BalloonRect{area.left(), area.top(), area.left() + area.width(),
                                 area.top() + area.height()};
    }
    return *m_workArea;
}

int CBalloonWnd::AnchorQuadrant() {
    const QPoint anchor = AnchorOnScreen();
    return brindle::AnchorQuadrant(WorkArea(), {anchor.x(), anchor.y()});
}

QRect CBalloonWnd::ClientRect() const {
    return ToQRect(ClientRectInWindow({0, 0, width(), height()}, m_placement.quadrant));
}

QRect CBalloonWnd::CloseButtonRect() const {
    const QRect client = ClientRect();
    const QSize button = CaptionButtonSize();
    return QRect(client.left() + client.width() - button.width(), client.top(), button.width(),
                 button.height());
}

QSize CBalloonWnd::ClientSize() {
    // Measured on a device of the screen, with the very routines that paint.
    QPixmap device(1, 1);
    QPainter painter(&device);
    const QSize header = DrawHeader(painter, false);
    const QSize content = DrawContent(painter, 0, false);
    const BalloonSize client =
        ClientSizeFromParts({header.width(), header.height()}, {content.width(), content.height()});
    return QSize(client.cx, client.cy);
}

QSize CBalloonWnd::WindowSize() {
    const QSize client = ClientSize();
    const BalloonSize window = WindowSizeFromClient({client.width(), client.height()});
    return QSize(window.cx, window.cy);
}

void CBalloonWnd::Reposition() {
    const QSize window = WindowSize();
    // Looked up again for the anchor as it is now.
    m_workArea.reset();
    const BalloonRect workArea = WorkArea();
    const QPoint anchor = AnchorOnScreen();
    m_placement =
        PlaceBalloon({window.width(), window.height()}, workArea, {anchor.x(), anchor.y()});
    setGeometry(m_placement.topLeft.x, m_placement.topLeft.y, window.width(), window.height());

    const QRegion shape = BuildShape();
    if (!m_shape) {
        m_shape = QRegion(0, 0, 1, 1);
    }
    // The window region is replaced, and everything redrawn, only when the shape changed.
    if (shape != *m_shape) {
        m_shape = shape;
        setMask(shape);
        ++m_shapeApplications;
        update();
    }
}

QRegion CBalloonWnd::BuildShape() const {
    const BalloonTail& tail = m_placement.tail;
    const QPolygon triangle{QPoint(tail.a.x, tail.a.y), QPoint(tail.tip.x, tail.tip.y),
                            QPoint(tail.c.x, tail.c.y)};
    QRegion shape(triangle, Qt::OddEvenFill);
    const BalloonRect body{0, m_placement.bodyTop, m_placement.size.cx, m_placement.bodyBottom};
    for (const BalloonRect& span : RoundRectSpans(body, kCornerEllipse, kCornerEllipse)) {
        shape += ToQRect(span);
    }
    return shape;
}

}  // namespace brindle
