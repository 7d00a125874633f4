// The balloon's life on real windows: what closes it, when, and what becomes of the object.
// Input is sent to windows, the way the windowing system delivers it.

#include "balloon/BalloonWnd.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QPointer>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "BalloonTestSupport.h"
#include "balloon/BalloonWindowClasses.h"

namespace brindle {
namespace {

using testing::LiveBalloons;
using testing::ProcessPending;
using testing::RecordingServices;
using testing::ShowOwnerWindow;

// In the owner window's coordinates; the upper left of the screen, so the balloon hangs
// below and to the right of it.
constexpr QPoint kAnchorInOwner(200, 150);
// A point of the owner window away from any balloon.
constexpr QPoint kQuietSpot(40, 40);

CBalloonWnd* OnlyBalloon() {
    const auto balloons = LiveBalloons();
    EXPECT_EQ(balloons.size(), 1U);
    return balloons.empty() ? nullptr : balloons.front();
}

QPoint TipOnScreen(const CBalloonWnd& balloon) {
    const BalloonPoint tip = balloon.Placement().tail.tip;
    return balloon.pos() + QPoint(tip.x, tip.y);
}

bool Create(CBalloonWnd& balloon, std::uint32_t options, QWidget* owner,
            const QString& url = QString()) {
    return balloon.Create(QStringLiteral("Title"), QStringLiteral("Some help text"), kAnchorInOwner,
                          options, owner, url, 0);
}

TEST(BalloonWndTest, ContextHelpStaysWithinTheMoveToleranceThenTimesOutAndDeletesItself) {
    auto owner = ShowOwnerWindow();
    const QPoint start = owner->mapToGlobal(QPoint(150, 150));
    QCursor::setPos(start);
    ProcessPending();

    CBalloonWnd::Launch(QStringLiteral("Scan Subfolders"),
                        QStringLiteral("Renames the files of every subfolder as well."), start,
                        QStyle::SP_MessageBoxInformation, BH_CLOSE_ON_MOUSE_MOVE | BH_DELAY_CLOSE,
                        nullptr, QString(), 100);
    QPointer<CBalloonWnd> balloon = OnlyBalloon();
    ASSERT_TRUE(balloon);
    EXPECT_EQ(balloon->Options() & ~BH_NO_FADE,
              BH_CLOSE_ON_MOUSE_MOVE | BH_DELAY_CLOSE | BH_DELETE_ON_DESTROY);
    EXPECT_EQ(TipOnScreen(*balloon), start);
    QStyle* style = QApplication::style();
    const int iconExtent = std::max(style->pixelMetric(QStyle::PM_SmallIconSize),
                                    style->pixelMetric(QStyle::PM_TitleBarButtonSize));
    EXPECT_EQ(balloon->IconSize(), QSize(iconExtent, iconExtent));

    // Up to the tolerance in x and in y, and the right button, leave it alone.
    for (const QPoint offset : {QPoint(3, 3), QPoint(-3, -3), QPoint(3, -3)}) {
        QCursor::setPos(start + offset);
        ProcessPending();
    }
    QTest::mouseClick(owner->windowHandle(), Qt::RightButton, {}, owner->mapFromGlobal(start));
    ProcessPending();
    ASSERT_TRUE(balloon);
    EXPECT_TRUE(balloon->Options() & BH_CLOSE_ON_MOUSE_MOVE);

    // Moves beyond it, even a burst handled at once, only start the time-out ...
    for (const QPoint offset : {QPoint(4, 0), QPoint(9, 2), QPoint(15, 4)}) {
        QCursor::setPos(start + offset);
    }
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    ASSERT_TRUE(balloon);
    EXPECT_TRUE(balloon->isVisible());
    EXPECT_EQ(balloon->Options() & (BH_CLOSE_ON_ANY_MOUSE | BH_DELAY_CLOSE), 0U);

    // ... at whose end the balloon closes and deletes itself.
    EXPECT_TRUE(QTest::qWaitFor([&] { return balloon.isNull(); }));
}

TEST(BalloonWndTest, EachButtonOptionClosesOnItsOwnButtonEventOnly) {
    struct Case {
        std::uint32_t options;
        Qt::MouseButton button;
        bool closedAfterPress;
        bool closedAfterRelease;
    };
    const Case cases[] = {
        {BH_CLOSE_ON_LEFT_DOWN, Qt::LeftButton, true, true},
        {BH_CLOSE_ON_LEFT_UP, Qt::LeftButton, false, true},
        {BH_CLOSE_ON_MIDDLE_UP, Qt::MiddleButton, false, true},
        {BH_CLOSE_ON_LEFT_DOWN | BH_CLOSE_ON_LEFT_UP, Qt::RightButton, false, false},
        {BH_CLOSE_ON_MOUSE_MOVE | BH_CLOSE_ON_KEY, Qt::LeftButton, false, false},
    };
    auto owner = ShowOwnerWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        QCursor::setPos(owner->mapToGlobal(kQuietSpot));
        ProcessPending();
        CBalloonWnd balloon;
        ASSERT_TRUE(Create(balloon, c.options, owner.get()));
        // Options that close on a release hold the mouse, so the release comes to them.
        const bool grabs = (c.options & (BH_CLOSE_ON_LEFT_UP | BH_CLOSE_ON_MIDDLE_UP)) != 0;
        EXPECT_EQ(QWidget::mouseGrabber(), grabs ? &balloon : nullptr);
        QTest::mousePress(owner->windowHandle(), c.button, {}, kQuietSpot);
        ProcessPending();
        EXPECT_EQ(!balloon.HasWindow(), c.closedAfterPress);
        QTest::mouseRelease(owner->windowHandle(), c.button, {}, kQuietSpot);
        ProcessPending();
        EXPECT_EQ(!balloon.HasWindow(), c.closedAfterRelease);
        EXPECT_EQ(balloon.isVisible(), !c.closedAfterRelease);
        if (c.closedAfterRelease) {
            EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
        }
    }

    // A grab that another widget holds is left to it.
    owner->grabMouse();
    CBalloonWnd balloon;
    ASSERT_TRUE(Create(balloon, BH_CLOSE_ON_LEFT_UP, owner.get()));
    EXPECT_EQ(QWidget::mouseGrabber(), owner.get());
    owner->releaseMouse();
}

TEST(BalloonWndTest, KeyPressesCloseOnlyWithCloseOnKey) {
    struct Case {
        std::uint32_t options;
        bool closedAfterFirstKey;
        bool closedAfterSecondKey;
    };
    const Case cases[] = {
        {BH_CLOSE_ON_KEY, true, true},
        {BH_CLOSE_ON_LEFT_DOWN | BH_CLOSE_ON_RIGHT_UP, false, false},
        // The first request only stops the mouse options; without a time-out the balloon
        // then waits for the next key.
        {BH_CLOSE_ON_KEY | BH_DELAY_CLOSE | BH_CLOSE_ON_LEFT_DOWN, false, true},
    };
    auto owner = ShowOwnerWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        CBalloonWnd balloon;
        ASSERT_TRUE(Create(balloon, c.options, owner.get()));
        QTest::keyClick(owner->windowHandle(), Qt::Key_A);
        ProcessPending();
        EXPECT_EQ(!balloon.HasWindow(), c.closedAfterFirstKey);
        QTest::keyClick(owner->windowHandle(), Qt::Key_Escape);
        ProcessPending();
        EXPECT_EQ(!balloon.HasWindow(), c.closedAfterSecondKey);
    }
}

TEST(BalloonWndTest, CloseButtonClosesOnlyWhenTheReleaseIsOnIt) {
    struct Case {
        std::string name;
        bool moveOff;
        bool moveBackOn;
        bool closes;
    };
    const Case cases[] = {
        {"pressed and released on it", false, false, true},
        {"moved off, released off", true, false, false},
        {"moved off and back, released on it", true, true, true},
    };
    auto owner = ShowOwnerWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CBalloonWnd balloon;
        ASSERT_TRUE(Create(balloon, BH_SHOW_CLOSE_BUTTON, owner.get()));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&balloon));
        QWindow* window = balloon.windowHandle();
        const QRect button = balloon.CloseButtonRect();
        const QPoint on = button.center();
        const QPoint off = balloon.ClientRect().bottomLeft() + QPoint(2, -2);
        ASSERT_FALSE(button.contains(off));

        // Hovering shows it hot, leaving it flat again. (The cursor first goes elsewhere:
        // a move to where it already is is no move.)
        QTest::mouseMove(owner->windowHandle(), kQuietSpot);
        QTest::mouseMove(window, on);
        EXPECT_EQ(balloon.CloseButtonState(), kCloseButtonHot);
        QTest::mouseMove(window, off);
        EXPECT_EQ(balloon.CloseButtonState(), kCloseButtonFlat);

        const QImage flat = balloon.grab(button).toImage();
        QTest::mousePress(window, Qt::LeftButton, {}, on);
        EXPECT_EQ(balloon.CloseButtonState(), kCloseButtonHot | kCloseButtonPushed);
        EXPECT_NE(balloon.grab(button).toImage(), flat);  // painted in its pushed look
        EXPECT_EQ(QWidget::mouseGrabber(), &balloon);
        if (c.moveOff) {
            QTest::mouseMove(window, off);
            EXPECT_EQ(balloon.CloseButtonState(), kCloseButtonFlat | kCloseButtonPushed);
        }
        if (c.moveBackOn) {
            QTest::mouseMove(window, on);
            EXPECT_EQ(balloon.CloseButtonState(), kCloseButtonHot | kCloseButtonPushed);
        }
        QTest::mouseRelease(window, Qt::LeftButton, {}, c.moveOff && !c.moveBackOn ? off : on);
        ProcessPending();
        EXPECT_EQ(!balloon.HasWindow(), c.closes);
        EXPECT_NE(QWidget::mouseGrabber(), &balloon);
    }
}

TEST(BalloonWndTest, TimeOutWithoutDelayedCloseEndsTheBalloon) {
    auto owner = ShowOwnerWindow();
    CBalloonWnd::Launch(QStringLiteral("Title"), QStringLiteral("Text"), QPoint(300, 300),
                        std::nullopt, 0, nullptr, QString(), 100);
    QPointer<CBalloonWnd> timed = OnlyBalloon();
    ASSERT_TRUE(timed);
    EXPECT_TRUE(timed->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return timed.isNull(); }));
}

TEST(BalloonWndTest, TwoLaunchedBalloonsCloseIndependently) {
    auto owner = ShowOwnerWindow();
    CBalloonWnd::Launch(QStringLiteral("First"), QStringLiteral("Closes on a key"),
                        QPoint(200, 200), std::nullopt, BH_CLOSE_ON_KEY, nullptr, QString(), 0);
    CBalloonWnd::Launch(QStringLiteral("Second"), QStringLiteral("Stays"), QPoint(600, 600),
                        QStyle::SP_MessageBoxWarning, 0, nullptr, QString(), 0);
    QPointer<CBalloonWnd> first;
    QPointer<CBalloonWnd> second;
    for (CBalloonWnd* balloon : LiveBalloons()) {
        (balloon->windowTitle() == QLatin1String("First") ? first : second) = balloon;
    }
    ASSERT_TRUE(first && second && first != second);

    QTest::keyClick(owner->windowHandle(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }));
    ProcessPending();
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->isVisible());

    EXPECT_FALSE(second->close());  // the balloon closes itself, in its own way
    EXPECT_TRUE(QTest::qWaitFor([&] { return second.isNull(); }));
}

TEST(BalloonWndTest, MovingTheAnchorWindowMovesTheBalloon) {
    for (const bool anchoredToOwner : {true, false}) {
        SCOPED_TRACE(anchoredToOwner ? "anchored to the owner" : "anchored to the screen");
        auto owner = ShowOwnerWindow();
        const QPoint anchorOnScreen = owner->mapToGlobal(kAnchorInOwner);
        CBalloonWnd balloon;
        ASSERT_TRUE(balloon.Create(QStringLiteral("Title"), QStringLiteral("Text"),
                                   anchoredToOwner ? kAnchorInOwner : anchorOnScreen, 0,
                                   anchoredToOwner ? owner.get() : nullptr, QString(), 0));
        const QPoint before = balloon.pos();
        EXPECT_EQ(TipOnScreen(balloon), anchorOnScreen);

        const QPoint shift(30, 20);
        owner->move(owner->pos() + shift);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return owner->mapToGlobal(kAnchorInOwner) == anchorOnScreen + shift; }));
        if (anchoredToOwner) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return balloon.pos() == before + shift; }));
        } else {
            ProcessPending();
            EXPECT_EQ(balloon.pos(), before);
        }
    }
}

TEST(BalloonWndTest, ClickOnTheTextOpensTheLinkThroughTheDesktopAndCloses) {
    const QString url = QStringLiteral("https://example.org/help");
    auto owner = ShowOwnerWindow();
    for (const bool onMargin : {false, true}) {
        SCOPED_TRACE(onMargin ? "on the margin" : "on the text");
        RecordingServices services;  // its open fails: the balloon closes all the same
        CBalloonWnd balloon(&services);
        ASSERT_TRUE(Create(balloon, 0, owner.get(), url));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&balloon));
        const QRect client = balloon.ClientRect();
        QTest::mouseClick(
            balloon.windowHandle(), Qt::LeftButton, {},
            onMargin ? QPoint(client.left() - 4, client.center().y()) : client.center());
        ProcessPending();
        using Urls = std::vector<std::u16string>;
        EXPECT_EQ(services.openedUrls, onMargin ? Urls{} : Urls{url.toStdU16String()});
        EXPECT_EQ(balloon.HasWindow(), onMargin);
    }
}

TEST(BalloonWndTest, FadesOnlyWhenTheDesktopAndThePlatformAllowIt) {
    struct Case {
        std::string name;
        bool animation;
        bool fade;
        BalloonFade support;
        bool fades;
    };
    const Case cases[] = {
        {"allowed", true, true, BalloonFade::Opacity, true},
        {"tooltip animation off", false, true, BalloonFade::Opacity, false},
        {"tooltip fade off", true, false, BalloonFade::Opacity, false},
        {"offscreen platform", true, true, BalloonFade::Platform, false},
    };
    auto owner = ShowOwnerWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingServices services;
        services.animation = c.animation;
        services.fade = c.fade;
        CBalloonWnd balloon(&services, c.support);
        ASSERT_TRUE(Create(balloon, 0, owner.get()));
        EXPECT_EQ(balloon.Options() & BH_NO_FADE, c.fades ? 0U : BH_NO_FADE);
        if (c.fades) {
            EXPECT_LT(balloon.windowOpacity(), 1.0);
            EXPECT_TRUE(QTest::qWaitFor([&] { return balloon.windowOpacity() == 1.0; }));
        }
        EXPECT_EQ(balloon.windowOpacity(), 1.0);

        balloon.RequestClose();
        if (c.fades) {
            EXPECT_TRUE(balloon.isVisible());  // fading out
            EXPECT_TRUE(QTest::qWaitFor([&] { return !balloon.HasWindow(); }));
            EXPECT_EQ(balloon.windowOpacity(), 0.0);
        }
        EXPECT_FALSE(balloon.HasWindow());
        EXPECT_FALSE(balloon.isVisible());
    }
}

TEST(BalloonWndTest, WindowIsANonActivatingToolWindowOfTheChosenClass) {
    struct Case {
        std::string name;
        std::uint32_t options;
        bool refuseDropShadow;
        bool refusePlain;
        const char16_t* className;  // nullptr: Create fails
    };
    const Case cases[] = {
        {"drop shadow", 0, false, false, kBalloonClassDropShadow},
        {"no drop shadow, topmost", BH_NO_DROP_SHADOW | BH_TOPMOST, false, false,
         kBalloonClassPlain},
        {"drop shadow refused", 0, true, false, kBalloonClassPlain},
        {"no class", 0, true, true, nullptr},
    };
    auto owner = ShowOwnerWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BalloonClassRegistry classes([&](const BalloonWindowClass& record) {
            return record.dropShadow ? !c.refuseDropShadow : !c.refusePlain;
        });
        CBalloonWnd balloon(nullptr, BalloonFade::Platform, &classes);
        const bool created = Create(balloon, c.options, owner.get());
        EXPECT_EQ(created, c.className != nullptr);
        EXPECT_EQ(balloon.isVisible(), created);
        if (!created) {
            continue;
        }
        EXPECT_EQ(balloon.WindowClass()->name, std::u16string(c.className));
        const Qt::WindowFlags flags = balloon.windowFlags();
        EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
        EXPECT_TRUE(flags & Qt::FramelessWindowHint);
        EXPECT_TRUE(flags & Qt::WindowDoesNotAcceptFocus);
        EXPECT_EQ(bool(flags & Qt::NoDropShadowWindowHint), !balloon.WindowClass()->dropShadow);
        EXPECT_EQ(bool(flags & Qt::WindowStaysOnTopHint), bool(c.options & BH_TOPMOST));
        EXPECT_NE(QApplication::activeWindow(), &balloon);
    }
}

TEST(BalloonWndTest, ClosingTheOwnerEndsTheBalloonsWindow) {
    auto owner = ShowOwnerWindow();
    CBalloonWnd::Launch(QStringLiteral("Title"), QStringLiteral("Text"), kAnchorInOwner,
                        std::nullopt, BH_CLOSE_ON_KEY | BH_CLOSE_ON_LEFT_UP, owner.get(), QString(),
                        0);
    QPointer<CBalloonWnd> launched = OnlyBalloon();
    CBalloonWnd owned;
    ASSERT_TRUE(Create(owned, BH_CLOSE_ON_KEY, owner.get()));
    owner.reset();
    // The launched one is deleted with its owner, even if no event loop runs afterwards;
    // the other belongs to its creator and outlives its window.
    EXPECT_TRUE(launched.isNull());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_FALSE(owned.HasWindow());
    EXPECT_FALSE(owned.isVisible());
}

}  // namespace
}  // namespace brindle
