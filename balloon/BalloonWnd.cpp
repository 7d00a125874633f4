// CBalloonWnd's making and showing: construction and destruction, Launch and Create, the
// anchor, the time-out and ShowBalloon. Closing lives in BalloonClosing.cpp.

#include "balloon/BalloonWnd.h"

#include <QApplication>
#include <QCursor>
#include <QPalette>
#include <QPropertyAnimation>
#include <QTimerEvent>
#include <QToolTip>
#include <QWindow>

#include <algorithm>
#include <climits>

#include "balloon/BalloonGuard.h"
#include "balloon/BalloonHook.h"
#include "balloon/BalloonWindowClasses.h"

namespace brindle {

namespace {

constexpr std::uint32_t kCloseOnButtonUp =
    BH_CLOSE_ON_LEFT_UP | BH_CLOSE_ON_MIDDLE_UP | BH_CLOSE_ON_RIGHT_UP;

bool IsOwnerCandidate(QWidget* widget) {
    return widget != nullptr && widget->isVisible() &&
           qobject_cast<CBalloonWnd*>(widget) == nullptr &&
           (widget->windowType() == Qt::Window || widget->windowType() == Qt::Dialog);
}

// Qt keeps no main window: the active window, a modal dialog or else any visible
// top-level window stands in for it.
QWidget* FindOwner(QWidget* parent) {
    if (parent != nullptr) {
        return parent->window();
    }
    for (QWidget* candidate : {QApplication::activeWindow(), QApplication::activeModalWidget()}) {
        if (IsOwnerCandidate(candidate)) {
            return candidate;
        }
    }
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget* candidate : topLevels) {
        if (IsOwnerCandidate(candidate)) {
            return candidate;
        }
    }
    return nullptr;
}

}  // namespace

CBalloonWnd::CBalloonWnd(BalloonServices* services, BalloonFade fade, BalloonClassRegistry* classes)
    : QWidget(nullptr),
      m_services(services),
      m_classes(classes != nullptr ? classes : &BalloonClassRegistry::Process()),
      m_fadeAvailable(CanFadeWindows(fade)) {
    const QPalette tips = QToolTip::palette();
    m_background = tips.color(QPalette::Inactive, QPalette::ToolTipBase);
    m_text = tips.color(QPalette::Inactive, QPalette::ToolTipText);
    setMouseTracking(true);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::ArrowCursor);
}

CBalloonWnd::~CBalloonWnd() {
    if (m_hasWindow) {
        ReleaseMouseGrab();
        TearDownWindow();
    }
    m_callReturnHook.reset();
    QObject::disconnect(m_ownerConnection);
    // Gone before the widget's own teardown, so no signal of it reaches a half-destroyed
    // balloon.
    delete m_fadeAnimation;
    m_fadeAnimation = nullptr;
}

void CBalloonWnd::Launch(const QString& title, const QString& content, QPoint anchor,
                         std::optional<QStyle::StandardPixmap> icon, std::uint32_t options,
                         QWidget* parent, QString url, std::uint32_t timeout,
                         BalloonServices* services) {
    auto balloon = std::make_unique<CBalloonWnd>(services);
    if (icon) {
        QStyle* style = QApplication::style();
        const int smallIcon = style->pixelMetric(QStyle::PM_SmallIconSize);
        const QSize button = balloon->CaptionButtonSize();
        const QSize size(std::max(smallIcon, button.width()), std::max(smallIcon, button.height()));
        const QPixmap loaded = style->standardIcon(*icon).pixmap(size, 1.0);
        if (!loaded.isNull()) {
            balloon->SetIconScaled(QIcon(loaded), size.width(), size.height());
        }
    }
    if (balloon->Create(title, content, anchor, options | BH_DELETE_ON_DESTROY, parent, url,
                        timeout)) {
        // From here on the balloon deletes itself once its window is gone.
        balloon.release();
    }
}

bool CBalloonWnd::Create(const QString& title, const QString& content, QPoint anchor,
                         std::uint32_t options, QWidget* parent, const QString& url,
                         std::uint32_t timeout, const QIcon& icon) {
    if (m_hasWindow) {
        return false;
    }
    m_content = content;
    SetAnchor(anchor, parent);
    m_options = options;
    m_url = url;
    m_timeout = timeout;
    if (!icon.isNull()) {
        SetIcon(icon);
    }

    QWidget* owner = FindOwner(parent);
    if (owner == nullptr) {
        return false;
    }
    if (!m_contentFont) {
        m_contentFont = QApplication::font();
    }
    if (!m_titleFont) {
        QFont titleFont = *m_contentFont;
        titleFont.setWeight(QFont::Bold);
        m_titleFont = titleFont;
    }
    m_windowClass = m_classes->RegisterBalloonClasses((m_options & BH_NO_DROP_SHADOW) == 0);
    if (m_windowClass == nullptr) {
        return false;
    }
    if (!FadingAllowed()) {
        m_options |= BH_NO_FADE;
    }

    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
    if (!m_windowClass->dropShadow) {
        flags |= Qt::NoDropShadowWindowHint;
    }
    if (m_options & BH_TOPMOST) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    setWindowFlags(flags);
    setWindowTitle(title);
    setGeometry(0, 0, 10, 10);

    // Owned, not parented: the owner's window stacks and ends the balloon's window, while
    // the object's life stays with its creator (or with itself).
    QObject::disconnect(m_ownerConnection);
    m_ownerConnection = connect(owner, &QObject::destroyed, this, &CBalloonWnd::OnOwnerDestroyed);
    winId();
    if (windowHandle() != nullptr && owner->windowHandle() != nullptr) {
        windowHandle()->setTransientParent(owner->windowHandle());
    }
    m_hasWindow = true;
    m_closing = false;
    m_closeButtonState = 0;
    m_closeButtonLook = kCloseButtonFlat;

    Reposition();

    if (m_options & BH_CLOSE_ON_ANY_MOUSE) {
        m_cursorStart = QCursor::pos();
        m_mouseHook = std::make_unique<BalloonHook>(*this, &CBalloonWnd::MouseHookProc,
                                                    *QCoreApplication::instance());
    }
    const bool capture = (m_options & kCloseOnButtonUp) != 0 && QWidget::mouseGrabber() == nullptr;
    if (m_options & BH_CLOSE_ON_KEY) {
        m_keyboardHook = std::make_unique<BalloonHook>(*this, &CBalloonWnd::KeyboardHookProc,
                                                       *QCoreApplication::instance());
    }
    ShowBalloon();
    // A grab needs a window on the screen, so it is taken once the balloon shows.
    if (capture) {
        grabMouse();
    }
    return true;
}

void CBalloonWnd::SetAnchor(QPoint anchor, QWidget* anchorWindow) {
    m_anchor = anchor;
    if (anchorWindow != m_anchorWindow.data()) {
        m_callReturnHook.reset();
    }
    m_anchorWindow = anchorWindow;
    if (anchorWindow != nullptr) {
        if (!m_callReturnHook) {
            m_callReturnHook = std::make_unique<BalloonHook>(
                *this, &CBalloonWnd::CallReturnHookProc, *anchorWindow);
        }
    } else {
        m_callReturnHook.reset();
    }
    if (m_hasWindow) {
        Reposition();
    }
}

void CBalloonWnd::ArmTimeout() {
    if (!m_hasWindow) {
        return;
    }
    // One time-out at a time: a new one replaces the running one.
    if (m_timer != 0) {
        killTimer(m_timer);
        m_timer = 0;
    }
    if (m_timeout != 0) {
        m_timer = startTimer(static_cast<int>(std::min<std::uint32_t>(m_timeout, INT_MAX)));
    }
}

void CBalloonWnd::ShowBalloon() {
    if (!m_hasWindow) {
        return;
    }
    if (m_fadeAvailable && (m_options & BH_NO_FADE_IN) == 0) {
        setWindowOpacity(0.0);
        show();
        FadeTo(1.0);
    } else {
        // A balloon made again after fading out must not stay transparent.
        if (windowOpacity() < 1.0) {
            setWindowOpacity(1.0);
        }
        show();
    }
    if ((m_options & BH_DELAY_CLOSE) == 0) {
        ArmTimeout();
    }
}

void CBalloonWnd::timerEvent(QTimerEvent* event) {
    if (m_timer != 0 && event->timerId() == m_timer) {
        RunGuarded("time-out", [this] {
            killTimer(m_timer);
            m_timer = 0;
            RequestClose();
        });
        return;
    }
    QWidget::timerEvent(event);
}

}  // namespace brindle
