#pragma once

// A balloon-shaped tooltip: a rounded rectangle with a tail whose tip sits on an anchor
// point, showing an optional icon, a bold title and a close button above a word-wrapped
// text. It closes on the events its options choose and, started with Launch, deletes itself
// once its window is gone.
//
// Its member functions are defined in several files, one a job (making and showing,
// closing, hook procedures, mouse, fading, icons, layout, painting); the declarations below
// say which file.

#include <QBitmap>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>
#include <QStyle>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

#include "balloon/BalloonGeometry.h"
#include "balloon/BalloonOptions.h"

class QPainter;
class QPropertyAnimation;

namespace brindle {

class BalloonClassRegistry;
class BalloonHook;
class BalloonServices;
struct BalloonWindowClass;

// Whether the balloon can fade in and out: as the platform allows (it can where windows
// take an opacity), or always by window opacity.
enum class BalloonFade { Platform, Opacity };

// Looks of the close button, as last drawn; kCloseButtonPushed doubles as the mark that
// the button is being pressed.
inline constexpr unsigned kCloseButtonFlat = 0x4000;
inline constexpr unsigned kCloseButtonHot = 0x1000;
inline constexpr unsigned kCloseButtonPushed = 0x0200;

class CBalloonWnd : public QWidget {
    Q_OBJECT

public:
    // `services` opens the link and reports the desktop's tooltip settings; without it the
    // balloon asks Qt. `classes` defaults to the process registry.
    explicit CBalloonWnd(BalloonServices* services = nullptr,
                         BalloonFade fade = BalloonFade::Platform,
                         BalloonClassRegistry* classes = nullptr);
    ~CBalloonWnd() override;

    CBalloonWnd(const CBalloonWnd&) = delete;
    CBalloonWnd& operator=(const CBalloonWnd&) = delete;

    // Making and showing (BalloonWnd.cpp).
    //
    // Shows a balloon that lives until it closes; nothing is shown when it cannot be made.
    // `icon` is a standard icon of the application's style, scaled to the larger of the
    // small-icon and title-bar-button sizes.
    static void Launch(const QString& title, const QString& content, QPoint anchor,
                       std::optional<QStyle::StandardPixmap> icon, std::uint32_t options,
                       QWidget* parent, QString url, std::uint32_t timeout,
                       BalloonServices* services = nullptr);

    // Makes, places and shows the window; false (and no window) when no owner window, font
    // or window class is available. With a parent, the anchor is in the parent's
    // coordinates and the balloon follows the parent's moves.
    bool Create(const QString& title, const QString& content, QPoint anchor, std::uint32_t options,
                QWidget* parent, const QString& url, std::uint32_t timeout,
                const QIcon& icon = QIcon());

    void SetAnchor(QPoint anchor, QWidget* anchorWindow = nullptr);
    void ShowBalloon();

    // Closing (BalloonClosing.cpp). With BH_DELAY_CLOSE the first request only stops the
    // mouse options and arms the time-out; otherwise the balloon hides and its window is
    // destroyed.
    void RequestClose();

    // Each replaces the header icon (BalloonIcons.cpp); a null or unreadable image leaves
    // no icon.
    void SetIcon(const QIcon& icon);
    // Flattens the icon onto the background colour, scales it, and keeps the background
    // colour as the transparent one.
    void SetIconScaled(const QIcon& icon, int width, int height);

    // Size, place and shape (BalloonLayout.cpp).
    QPoint AnchorOnScreen() const;
    BalloonRect WorkArea();
    int AnchorQuadrant();
    QSize ClientSize();
    QSize WindowSize();
    void Reposition();

    // Painting (BalloonPainting.cpp). The draw routines measure without the flag and measure
    // and paint with it, so the window is always as large as what it paints.
    virtual void DrawNonClient(QPainter& painter);
    virtual void DrawClient(QPainter& painter);
    virtual QSize DrawHeader(QPainter& painter, bool draw);
    virtual QSize DrawContent(QPainter& painter, int top, bool draw);

    std::uint32_t Options() const { return m_options; }
    std::uint32_t Timeout() const { return m_timeout; }
    bool HasWindow() const { return m_hasWindow; }
    unsigned CloseButtonState() const { return m_closeButtonState; }
    // In window coordinates (BalloonLayout.cpp).
    QRect ClientRect() const;
    QRect CloseButtonRect() const;
    const BalloonWindowClass* WindowClass() const { return m_windowClass; }
    const BalloonPlacement& Placement() const { return m_placement; }
    std::optional<QRegion> Shape() const { return m_shape; }
    // How often a new shape has been handed to the window.
    int ShapeApplications() const { return m_shapeApplications; }
    QColor BackgroundColour() const { return m_background; }
    QSize IconSize() const { return m_icon ? m_icon->size() : QSize(); }

protected:
    // BalloonClosing.cpp: the requests the balloon posts to itself, and the close.
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // BalloonWnd.cpp: the time-out.
    void timerEvent(QTimerEvent* event) override;
    // BalloonPainting.cpp.
    void paintEvent(QPaintEvent* event) override;
    // BalloonMouse.cpp: the close button and the link.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // BalloonWnd.cpp: (re)starts the time-out of the balloon's own m_timeout, replacing
    // one that runs; none for 0.
    void ArmTimeout();

    // BalloonClosing.cpp: the window's end, and the requests the balloon posts to itself.
    void PostCloseRequest();
    void PostReposition();
    void FinishClose();
    void DestroyWindow();
    void TearDownWindow();
    void OnOwnerDestroyed();
    void ReleaseMouseGrab();

    // BalloonHookProcs.cpp: the application's input and the anchor window's moves.
    void KeyboardHookProc(QObject* watched, QEvent* event);
    void MouseHookProc(QObject* watched, QEvent* event);
    void CallReturnHookProc(QObject* watched, QEvent* event);

    // BalloonMouse.cpp.
    void CloseButtonMouseMove(QPoint point);
    void OpenUrl();

    // BalloonFading.cpp.
    static bool CanFadeWindows(BalloonFade fade);
    bool FadingAllowed() const;
    void FadeTo(qreal opacity);
    void OnFadeFinished();

    // BalloonIcons.cpp.
    void ReplaceIcon(std::optional<QPixmap> icon);

    // BalloonLayout.cpp.
    QSize CaptionButtonSize() const;
    QRegion BuildShape() const;

    // BalloonPainting.cpp.
    void DrawCloseButton(QPainter& painter, const QRect& rect, unsigned look);
    QFont ContentFont() const;
    QFont TitleFont() const;

    BalloonServices* m_services;
    BalloonClassRegistry* m_classes;
    bool m_fadeAvailable;

    std::unique_ptr<BalloonHook> m_keyboardHook;
    std::unique_ptr<BalloonHook> m_mouseHook;
    std::unique_ptr<BalloonHook> m_callReturnHook;

    std::uint32_t m_options = 0;
    std::uint32_t m_timeout = 0;
    int m_timer = 0;
    QString m_content;
    QString m_url;
    QPointer<QWidget> m_anchorWindow;
    QPoint m_anchor;
    std::optional<QPixmap> m_icon;
    std::optional<QFont> m_titleFont;
    std::optional<QFont> m_contentFont;
    QColor m_background;
    QColor m_text;
    std::optional<BalloonRect> m_workArea;
    std::optional<QRegion> m_shape;
    QPoint m_cursorStart;
    unsigned m_closeButtonState = 0;
    // What the close button shows; the state above may also carry the pressed mark.
    unsigned m_closeButtonLook = kCloseButtonFlat;
    int m_moveTolerance = 3;

    const BalloonWindowClass* m_windowClass = nullptr;
    QMetaObject::Connection m_ownerConnection;
    BalloonPlacement m_placement;
    int m_shapeApplications = 0;
    bool m_hasWindow = false;
    bool m_closing = false;
    bool m_repositionPosted = false;
    bool m_closePosted = false;
    bool m_deletePending = false;
    int m_dispatchDepth = 0;
    QPropertyAnimation* m_fadeAnimation = nullptr;
};

}  // namespace brindle
