// CBalloonWnd's closing: RequestClose, the end of the window (and of a launched balloon's
// object), with its owner too, and the requests the balloon posts to itself, a close on
// input and a new place on the anchor window's moves.

#include "balloon/BalloonWnd.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPropertyAnimation>

#include "balloon/BalloonGuard.h"
#include "balloon/BalloonHook.h"

namespace brindle {

namespace {

QEvent::Type CloseRequestEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QEvent::Type RepositionEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

}  // namespace

void CBalloonWnd::RequestClose() {
    if (!m_hasWindow || m_closing) {
        return;
    }
    if (m_options & BH_DELAY_CLOSE) {
        m_options &= ~(BH_CLOSE_ON_ANY_MOUSE | BH_DELAY_CLOSE);
        ArmTimeout();
        return;
    }
    m_closing = true;
    if (m_fadeAvailable && (m_options & BH_NO_FADE_OUT) == 0 && isVisible()) {
        FadeTo(0.0);
    } else {
        FinishClose();
    }
}

void CBalloonWnd::FinishClose() {
    hide();
    ReleaseMouseGrab();
    DestroyWindow();
}

void CBalloonWnd::DestroyWindow() {
    TearDownWindow();
    if (m_options & BH_DELETE_ON_DESTROY) {
        m_deletePending = true;
        deleteLater();
    }
}

void CBalloonWnd::TearDownWindow() {
    m_mouseHook.reset();
    m_keyboardHook.reset();
    m_callReturnHook.reset();
    if (m_timer != 0) {
        killTimer(m_timer);
        m_timer = 0;
    }
    if (m_fadeAnimation != nullptr) {
        m_fadeAnimation->stop();
    }
    // Requests for this window must not reach a window made later by the same object.
    QCoreApplication::removePostedEvents(this, CloseRequestEvent());
    QCoreApplication::removePostedEvents(this, RepositionEvent());
    m_closePosted = false;
    m_repositionPosted = false;
    m_hasWindow = false;
    m_closing = false;
}

void CBalloonWnd::OnOwnerDestroyed() {
    // An owned window goes with its owner.
    const bool hadWindow = m_hasWindow;
    if (hadWindow) {
        RunGuarded("closing with the owner", [this] {
            hide();
            ReleaseMouseGrab();
            TearDownWindow();
        });
    }
    if ((hadWindow || m_deletePending) && (m_options & BH_DELETE_ON_DESTROY)) {
        // Deleted now when nothing of the balloon is running: the owner may be the last
        // window, after which no event loop runs to carry out a deferred deletion.
        if (m_dispatchDepth == 0) {
            delete this;
            return;
        }
        m_deletePending = true;
        deleteLater();
    }
}

void CBalloonWnd::ReleaseMouseGrab() {
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
}

void CBalloonWnd::PostCloseRequest() {
    // A request posted on input is handled before the next input would be; one pending
    // request therefore stands for everything that arrives before it is handled.
    if (m_closePosted) {
        return;
    }
    m_closePosted = true;
    QCoreApplication::postEvent(this, new QEvent(CloseRequestEvent()));
}

void CBalloonWnd::PostReposition() {
    // Placed again once the move has been handled, once for a burst of moves.
    if (m_repositionPosted) {
        return;
    }
    m_repositionPosted = true;
    QCoreApplication::postEvent(this, new QEvent(RepositionEvent()));
}

bool CBalloonWnd::event(QEvent* event) {
    if (event->type() == QEvent::DeferredDelete) {
        return QWidget::event(event);  // deletes the balloon: nothing of it may follow
    }
    ++m_dispatchDepth;
    bool handled = true;
    if (event->type() == CloseRequestEvent()) {
        m_closePosted = false;
        RunGuarded("close request", [this] { RequestClose(); });
    } else if (event->type() == RepositionEvent()) {
        m_repositionPosted = false;
        RunGuarded("anchor move", [this] {
            if (m_hasWindow) {
                Reposition();
            }
        });
    } else {
        handled = QWidget::event(event);
    }
    --m_dispatchDepth;
    return handled;
}

void CBalloonWnd::closeEvent(QCloseEvent* event) {
    event->ignore();
    RunGuarded("close", [this] { RequestClose(); });
}

}  // namespace brindle
