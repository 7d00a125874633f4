#include "balloon/BalloonWnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QPropertyAnimation>
#include <QScreen>
#include <QStyleOptionToolButton>
#include <QTimerEvent>
#include <QToolTip>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

#include "balloon/BalloonGuard.h"
#include "balloon/BalloonHook.h"
#include "balloon/BalloonWindowClasses.h"
#include "platform/DesktopServices.h"

namespace brindle {

namespace {

constexpr int kFadeMilliseconds = 200;
constexpr int kHeaderGap = 8;
constexpr int kCornerEllipse = 24;
constexpr int kTitleFlags = Qt::TextSingleLine | Qt::TextExpandTabs;
constexpr int kContentFlags = Qt::TextWordWrap | Qt::TextExpandTabs | Qt::AlignLeft | Qt::AlignTop;
constexpr std::uint32_t kCloseOnButtonUp =
    BH_CLOSE_ON_LEFT_UP | BH_CLOSE_ON_MIDDLE_UP | BH_CLOSE_ON_RIGHT_UP;

QEvent::Type CloseRequestEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QEvent::Type RepositionEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// Window opacity is honoured where the platform sets it on the window; elsewhere setting
// it only draws a warning.
bool PlatformCanFade() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

BalloonRgb ToRgb(const QColor& colour) {
    return {colour.red(), colour.green(), colour.blue()};
}

QColor ToColour(BalloonRgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QRect ToQRect(const BalloonRect& rect) {
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

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

QSize NaturalIconSize(const QIcon& icon) {
    QSize best;
    const QList<QSize> sizes = icon.availableSizes();
    for (const QSize& size : sizes) {
        if (size.width() * size.height() > best.width() * best.height()) {
            best = size;
        }
    }
    if (best.isEmpty()) {
        const int extent = QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize);
        best = QSize(extent, extent);
    }
    return best;
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

// Paints the pixels of a region that lie within width and height of its edge.
void FrameRegion(QPainter& painter, const QRegion& region, const QColor& colour, int width,
                 int height) {
    const QRegion inner = region & region.translated(width, 0) & region.translated(-width, 0) &
                          region.translated(0, height) & region.translated(0, -height);
    const QRegion frame = region.subtracted(inner);
    for (const QRect& rect : frame) {
        painter.fillRect(rect, colour);
    }
}

}  // namespace

CBalloonWnd::CBalloonWnd(DesktopServices* services, BalloonFade fade, BalloonClassRegistry* classes)
    : QWidget(nullptr),
      m_services(services),
      m_classes(classes != nullptr ? classes : &BalloonClassRegistry::Process()),
      m_fadeAvailable(fade == BalloonFade::Opacity ||
                      (fade == BalloonFade::Platform && PlatformCanFade())) {
    const QPalette tips = QToolTip::palette();
    m_background = tips.color(QPalette::Inactive, QPalette::ToolTipBase);
    m_text = tips.color(QPalette::Inactive, QPalette::ToolTipText);
    setMouseTracking(true);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::ArrowCursor);
}

CBalloonWnd::~CBalloonWnd() {
    if (m_hasWindow) {
        if (QWidget::mouseGrabber() == this) {
            releaseMouse();
        }
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
                         DesktopServices* services) {
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
    if (!TooltipAnimationEnabled() || !TooltipFadeEnabled() || !m_fadeAvailable) {
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
    m_owner = owner;
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

void CBalloonWnd::SetTimeout(std::uint32_t milliseconds) {
    m_timeout = milliseconds;
    if (!m_hasWindow) {
        return;
    }
    // One time-out at a time: a new one replaces the running one.
    if (m_timer != 0) {
        killTimer(m_timer);
        m_timer = 0;
    }
    if (milliseconds != 0) {
        m_timer = startTimer(static_cast<int>(std::min<std::uint32_t>(milliseconds, INT_MAX)));
    }
}

void CBalloonWnd::ReplaceIcon(std::optional<QPixmap> icon) {
    m_icon = std::move(icon);
    if (m_hasWindow) {
        Reposition();
        // An icon of the same size leaves the shape as it was, so repaint in any case.
        update();
    }
}

void CBalloonWnd::SetIcon(const QIcon& icon) {
    if (!icon.isNull()) {
        const QPixmap colour = icon.pixmap(NaturalIconSize(icon), 1.0);
        if (!colour.isNull()) {
            SetIconBitmap(colour, colour.mask());
            return;
        }
    }
    ReplaceIcon(std::nullopt);
}

void CBalloonWnd::SetIconBitmap(const QPixmap& bitmap, const QBitmap& mask) {
    if (bitmap.isNull()) {
        ReplaceIcon(std::nullopt);
        return;
    }
    QPixmap image = bitmap;
    if (!mask.isNull()) {
        image.setMask(mask);
    }
    ReplaceIcon(image);
}

void CBalloonWnd::SetIconBitmapMasked(const QPixmap& bitmap, const QColor& transparent) {
    if (bitmap.isNull()) {
        ReplaceIcon(std::nullopt);
        return;
    }
    QPixmap image = bitmap;
    image.setMask(bitmap.createMaskFromColor(transparent, Qt::MaskInColor));
    ReplaceIcon(image);
}

void CBalloonWnd::SetIconScaled(const QIcon& icon, int width, int height) {
    if (icon.isNull() || width <= 0 || height <= 0) {
        return;
    }
    const QPixmap source = icon.pixmap(NaturalIconSize(icon), 1.0);
    if (source.isNull()) {
        return;
    }
    // Flattened onto the background before scaling, so that the smoothing blends towards
    // the colour the icon will stand on.
    QPixmap flat(source.size());
    flat.fill(m_background);
    {
        QPainter painter(&flat);
        painter.drawPixmap(0, 0, source);
    }
    const QPixmap scaled =
        flat.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    SetIconBitmapMasked(scaled, m_background);
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
        SetTimeout(m_timeout);
    }
}

void CBalloonWnd::RequestClose() {
    if (!m_hasWindow || m_closing) {
        return;
    }
    if (m_options & BH_DELAY_CLOSE) {
        m_options &= ~(BH_CLOSE_ON_ANY_MOUSE | BH_DELAY_CLOSE);
        SetTimeout(m_timeout);
        return;
    }
    m_closing = true;
    if (m_fadeAvailable && (m_options & BH_NO_FADE_OUT) == 0 && isVisible()) {
        FadeTo(0.0);
    } else {
        FinishClose();
    }
}

void CBalloonWnd::FadeTo(qreal opacity) {
    if (m_fadeAnimation == nullptr) {
        m_fadeAnimation = new QPropertyAnimation(this, "windowOpacity", this);
        m_fadeAnimation->setDuration(kFadeMilliseconds);
        connect(m_fadeAnimation, &QAbstractAnimation::finished, this, &CBalloonWnd::OnFadeFinished);
    }
    m_fadeAnimation->stop();
    m_fadeAnimation->setStartValue(windowOpacity());
    m_fadeAnimation->setEndValue(opacity);
    m_fadeAnimation->start();
}

void CBalloonWnd::OnFadeFinished() {
    RunGuarded("fade", [this] {
        if (m_closing && m_fadeAnimation->endValue().toDouble() == 0.0) {
            FinishClose();
        }
    });
}

void CBalloonWnd::FinishClose() {
    hide();
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
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
    m_owner = nullptr;
    const bool hadWindow = m_hasWindow;
    if (hadWindow) {
        RunGuarded("closing with the owner", [this] {
            hide();
            if (QWidget::mouseGrabber() == this) {
                releaseMouse();
            }
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

void CBalloonWnd::PostCloseRequest() {
    // A request posted on input is handled before the next input would be; one pending
    // request therefore stands for everything that arrives before it is handled.
    if (m_closePosted) {
        return;
    }
    m_closePosted = true;
    QCoreApplication::postEvent(this, new QEvent(CloseRequestEvent()));
}

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
    // Placed again once the move has been handled, once for a burst of moves.
    if (!m_repositionPosted) {
        m_repositionPosted = true;
        QCoreApplication::postEvent(this, new QEvent(RepositionEvent()));
    }
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
            if (QWidget::mouseGrabber() == this) {
                releaseMouse();
            }
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

bool CBalloonWnd::TooltipAnimationEnabled() const {
    return m_services != nullptr ? m_services->TooltipAnimationEnabled()
                                 : QApplication::isEffectEnabled(Qt::UI_AnimateTooltip);
}

bool CBalloonWnd::TooltipFadeEnabled() const {
    return m_services != nullptr ? m_services->TooltipFadeEnabled()
                                 : QApplication::isEffectEnabled(Qt::UI_FadeTooltip);
}

QFont CBalloonWnd::ContentFont() const {
    return m_contentFont.value_or(QApplication::font());
}

QFont CBalloonWnd::TitleFont() const {
    if (m_titleFont) {
        return *m_titleFont;
    }
    QFont titleFont = ContentFont();
    titleFont.setWeight(QFont::Bold);
    return titleFont;
}

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

QSize CBalloonWnd::DrawHeader(QPainter& painter, bool draw) {
    int headerWidth = 0;
    int headerHeight = 0;
    const QSize client = ClientRect().size();
    QRect drawing(QPoint(0, 0), client);

    if (m_icon) {
        const QSize icon = m_icon->size();
        headerWidth = icon.width();
        headerHeight = icon.height();
        if (draw) {
            painter.fillRect(QRect(QPoint(0, 0), icon), m_background);
            painter.drawPixmap(0, 0, *m_icon);
        }
        drawing.setLeft(drawing.left() + icon.width());
    }

    if (m_options & BH_SHOW_CLOSE_BUTTON) {
        const QSize button = CaptionButtonSize();
        if (headerWidth > 0) {
            headerWidth += kHeaderGap;
        }
        headerWidth += button.width();
        headerHeight = std::max(headerHeight, button.height());
        if (draw) {
            DrawCloseButton(
                painter, QRect(client.width() - button.width(), 0, button.width(), button.height()),
                m_closeButtonLook);
        }
        drawing.setWidth(drawing.width() - button.width());
    }

    const QString title = windowTitle();
    if (!title.isEmpty()) {
        const QFont previous = painter.font();
        painter.setFont(TitleFont());
        if (headerWidth > 0) {
            headerWidth += kHeaderGap;
        }
        const QRect measured = painter.boundingRect(QRect(), kTitleFlags, title);
        headerWidth += measured.width();
        headerHeight = std::max(headerHeight, measured.height());
        if (draw) {
            painter.setPen(m_text);
            painter.drawText(drawing, kTitleFlags | Qt::AlignHCenter | Qt::AlignTop, title);
        }
        painter.setFont(previous);
    }
    return QSize(headerWidth, headerHeight);
}

QSize CBalloonWnd::DrawContent(QPainter& painter, int top, bool draw) {
    const BalloonRect wrap = ContentWrapRect(WorkArea(), top);
    const QFont previous = painter.font();
    painter.setFont(ContentFont());
    QRect extent;
    if (!m_content.isEmpty()) {
        extent = painter.boundingRect(
            QRect(wrap.left, wrap.top, wrap.Width(), std::max(wrap.Height(), 0)), kContentFlags,
            m_content);
    }
    if (draw && !extent.isEmpty()) {
        painter.setPen(m_text);
        painter.drawText(extent, kContentFlags, m_content);
    }
    painter.setFont(previous);
    return extent.isEmpty() ? QSize(0, 0) : extent.size();
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

void CBalloonWnd::paintEvent(QPaintEvent* /*event*/) {
    RunGuarded("painting", [this] {
        QPainter painter(this);
        if (m_shape) {
            painter.setClipRegion(*m_shape);
        }
        DrawNonClient(painter);
        const QRect client = ClientRect();
        painter.fillRect(client, m_background);
        painter.translate(client.topLeft());
        painter.setClipRect(QRect(QPoint(0, 0), client.size()), Qt::IntersectClip);
        DrawClient(painter);
    });
}

void CBalloonWnd::DrawNonClient(QPainter& painter) {
    const QRect window = rect();
    painter.save();
    painter.setClipRegion(QRegion(window).subtracted(QRegion(ClientRect())), Qt::IntersectClip);
    painter.fillRect(window, m_background);
    painter.restore();
    if (!m_shape) {
        return;
    }
    if (m_options & BH_INNER_SHADOW) {
        const BalloonRgb background = ToRgb(m_background);
        FrameRegion(painter, m_shape->translated(1, 1), ToColour(InnerShadowLight(background)), 2,
                    2);
        FrameRegion(painter, m_shape->translated(-1, -1),
                    ToColour(InnerShadowDark(background, ToRgb(m_text))), 2, 2);
    }
    FrameRegion(painter, *m_shape, m_text, 1, 1);
}

void CBalloonWnd::DrawClient(QPainter& painter) {
    const QSize header = DrawHeader(painter, true);
    DrawContent(painter, header.height() + BH_MARGIN, true);
}

void CBalloonWnd::DrawCloseButton(QPainter& painter, const QRect& rect, unsigned look) {
    QStyleOptionToolButton option;
    option.initFrom(this);
    option.rect = rect;
    option.state = QStyle::State_Enabled | QStyle::State_AutoRaise;
    if (look & kCloseButtonHot) {
        option.state |= QStyle::State_MouseOver | QStyle::State_Raised;
    }
    if (look & kCloseButtonPushed) {
        option.state |= QStyle::State_Sunken;
    }
    option.subControls = QStyle::SC_ToolButton;
    option.activeSubControls =
        (look & kCloseButtonPushed) ? QStyle::SC_ToolButton : QStyle::SC_None;
    option.toolButtonStyle = Qt::ToolButtonIconOnly;
    option.icon = style()->standardIcon(QStyle::SP_TitleBarCloseButton, &option, this);
    const int extent = std::max(std::min(rect.width(), rect.height()) - 4, 1);
    option.iconSize = QSize(extent, extent);
    style()->drawComplexControl(QStyle::CC_ToolButton, &option, &painter, this);
}

}  // namespace brindle
