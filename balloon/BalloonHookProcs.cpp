// CBalloonWnd's hook procedures: the application's key and mouse input that closes the
// balloon, and the anchor window's moves that place it again. Each only posts a request;
// BalloonClosing.cpp carries it out.

#include "balloon/BalloonWnd.h"

#include <QMouseEvent>

#include <cstdlib>

namespace brindle {

namespace {

std::uint32_t ButtonOption(Qt::MouseButton button, std::uint32_t left, std::uint32_t middle,
                           std::uint32_t right) {
    switch (button) {
        case Qt::LeftButton:
            return left;
        case Qt::MiddleButton:
            return middle;
        case Qt::RightButton:
            return right;
        default:
            return 0;
    }
}

}  // namespace

// The hooks watch input where it enters the application, at its windows, so that each
// press, release or move is seen once however far it then travels through widgets.
void CBalloonWnd::KeyboardHookProc(QObject* watched, QEvent* event) {
    if (!m_hasWindow || !watched->isWindowType()) {
        return;
    }
    if (event->type() == QEvent::KeyPress) {
        PostCloseRequest();
    }
}

void CBalloonWnd::MouseHookProc(QObject* watched, QEvent* event) {
    if (!m_hasWindow || !watched->isWindowType()) {
        return;
    }
    std::uint32_t option = 0;
    switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseMove: {
            if ((m_options & BH_CLOSE_ON_MOUSE_MOVE) == 0) {
                return;
            }
            const QPoint cursor = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            if (std::abs(cursor.x() - m_cursorStart.x()) > m_moveTolerance ||
                std::abs(cursor.y() - m_cursorStart.y()) > m_moveTolerance) {
                PostCloseRequest();
            }
            return;
        }
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress:
            option = ButtonOption(static_cast<QMouseEvent*>(event)->button(), BH_CLOSE_ON_LEFT_DOWN,
                                  BH_CLOSE_ON_MIDDLE_DOWN, BH_CLOSE_ON_RIGHT_DOWN);
            break;
        case QEvent::MouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonRelease:
            option = ButtonOption(static_cast<QMouseEvent*>(event)->button(), BH_CLOSE_ON_LEFT_UP,
                                  BH_CLOSE_ON_MIDDLE_UP, BH_CLOSE_ON_RIGHT_UP);
            break;
        default:
            return;
    }
    if (m_options & option) {
        PostCloseRequest();
    }
}

void CBalloonWnd::CallReturnHookProc(QObject* watched, QEvent* event) {
    if (!m_hasWindow || event->type() != QEvent::Move || watched != m_anchorWindow.data()) {
        return;
    }
    PostReposition();
}

}  // namespace brindle
