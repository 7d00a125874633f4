// CBalloonWnd's own mouse handling: the close button's looks and clicks, and the click that
// opens the link.

#include "balloon/BalloonWnd.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

#include "balloon/BalloonGuard.h"
#include "balloon/BalloonServices.h"

namespace brindle {

void CBalloonWnd::mousePressEvent(QMouseEvent* event) {
    event->accept();
    RunGuarded("mouse press", [&] {
        if (event->button() != Qt::LeftButton || (m_options & BH_SHOW_CLOSE_BUTTON) == 0) {
            return;
        }
        const QPoint point = event->position().toPoint();
        if (CloseButtonRect().contains(point)) {
            m_closeButtonState |= kCloseButtonPushed;
            grabMouse();
            CloseButtonMouseMove(point);
        }
    });
}

void CBalloonWnd::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    RunGuarded("mouse move", [&] { CloseButtonMouseMove(event->position().toPoint()); });
}

void CBalloonWnd::leaveEvent(QEvent* event) {
    // Without this the button would stay hot after the cursor left the balloon.
    RunGuarded("mouse leave", [this] { CloseButtonMouseMove(QPoint(-1, -1)); });
    QWidget::leaveEvent(event);
}

void CBalloonWnd::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    RunGuarded("mouse release", [&] {
        if (event->button() != Qt::LeftButton) {
            return;
        }
        const QPoint point = event->position().toPoint();
        if ((m_options & BH_SHOW_CLOSE_BUTTON) && (m_closeButtonState & kCloseButtonPushed)) {
            ReleaseMouseGrab();
            m_closeButtonState &= ~kCloseButtonPushed;
            if (CloseButtonRect().contains(point)) {
                RequestClose();
            }
            return;
        }
        if (!m_url.isEmpty() && ClientRect().contains(point)) {
            // A link that fails to open still closes the balloon.
            RunGuarded("opening the link", [this] { OpenUrl(); });
            RequestClose();
        }
    });
}

void CBalloonWnd::CloseButtonMouseMove(QPoint point) {
    if ((m_options & BH_SHOW_CLOSE_BUTTON) == 0) {
        return;
    }
    const bool pressed = (m_closeButtonState & kCloseButtonPushed) != 0;
    const unsigned state = m_closeButtonState & ~kCloseButtonPushed;
    const unsigned look = CloseButtonRect().contains(point)
                              ? kCloseButtonHot | (pressed ? kCloseButtonPushed : 0U)
                              : kCloseButtonFlat;
    if (look != state) {
        m_closeButtonLook = look;
        m_closeButtonState = look;
        update(CloseButtonRect());
    }
    if (pressed) {
        m_closeButtonState |= kCloseButtonPushed;
    }
}

void CBalloonWnd::OpenUrl() {
    if (m_services != nullptr) {
        m_services->OpenUrl(m_url.toStdU16String());
        return;
    }
    QDesktopServices::openUrl(QUrl::fromUserInput(m_url));
}

}  // namespace brindle
