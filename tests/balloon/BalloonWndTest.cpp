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

#include "BalloonTestSupport.h"
#include "balloon/BalloonClasses.h"

namespace brindle {
namespace {

using testing::LiveBalloons;
using testing::ProcessPending;
using testing::RecordingServices;
using testing::ShowOwnerWindow;

// Anchor of the test balloons in the owner window's coordinates; it lies in the upper left
// of the screen, so the balloon hangs below and to the right of it.
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
    EXPECT_TRUE(balloon->isVisible());
    EXPECT_EQ(balloon->Options() & ~BH_NO_FADE,
              BH_CLOSE_ON_MOUSE_MOVE | BH_DELAY_CLOSE | BH_DELETE_ON_DESTROY);
    EXPECT_EQ(TipOnScreen(*balloon), start);
    QStyle* style = QApplication::style();
    const int iconExtent = std::max(style->pixelMetric(QStyle::PM_SmallIconSize),
                                    style->pixelMetric(QStyle::PM_TitleBarButtonSize));
    EXPECT_EQ(balloon->IconSize(), QSize(iconExtent, iconExtent));

    // Up to the tolerance in x and in y, and the right button, leave it alone.
    for (const QPoint offset : {QPoint(3, 3), QPoint(-3, -3), QPoint(3, -3), QPoint(0, 0)}) {
        QCursor::setPos(start + offset);
        ProcessPending();
    }
    const QPoint inOwner = owner->mapFromGlobal(start);
    QTest::mousePress(owner->windowHandle(), Qt::RightButton, {}, inOwner);
    QTest::mouseRelease(owner->windowHandle(), Qt::RightButton, {}, inOwner);
    ProcessPending();
    ASSERT_TRUE(balloon);
    EXPECT_TRUE(balloon->isVisible());
    EXPECT_TRUE(balloon->Options() & BH_CLOSE_ON_MOUSE_MOVE);

    // The first moves beyond it, even a burst of them handled together, only start the
    // time-out ...
    QCursor::setPos(start + QPoint(4, 0));
    QCursor::setPos(start + QPoint(9, 2));
    QCursor::setPos(start + QPoint(15, 4));
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
        std::string name;
        std::uint32_t options;
        Qt::MouseButton button;
        bool closedAfterPress;
        bool closedAfterRelease;
    };
    const Case cases[] = {
        {"left down", BH_CLOSE_ON_LEFT_DOWN, Qt::LeftButton, true, true},
        {"left up", BH_CLOSE_ON_LEFT_UP, Qt::LeftButton, false, true},
        {"middle down", BH_CLOSE_ON_MIDDLE_DOWN, Qt::MiddleButton, true, true},
        {"middle up", BH_CLOSE_ON_MIDDLE_UP, Qt::MiddleButton, false, true},
        {"right down", BH_CLOSE_ON_RIGHT_DOWN, Qt::RightButton, true, true},
        {"right up", BH_CLOSE_ON_RIGHT_UP, Qt::RightButton, false, true},
        {"left options, right button", BH_CLOSE_ON_LEFT_DOWN | BH_CLOSE_ON_LEFT_UP, Qt::RightButton,
         false, false},
        {"right up, left button", BH_CLOSE_ON_RIGHT_UP, Qt::LeftButton, false, false},
        {"move option, click in place", BH_CLOSE_ON_MOUSE_MOVE, Qt::LeftButton, false, false},
        {"key option, click", BH_CLOSE_ON_KEY, Qt::LeftButton, false, false},
    };
    auto owner = ShowOwnerWindow();
    RecordingServices services;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QCursor::setPos(owner->mapToGlobal(kQuietSpot));
        ProcessPending();
        CBalloonWnd balloon(&services);
        ASSERT_TRUE(balloon.Create(QStringLiteral("Title"), QStringLiteral("Text"), kAnchorInOwner,
                                   c.options, owner.get(), QString(), 0));
        ProcessPending();
        QTest::mousePress(owner->windowHandle(), c.button, {}, kQuietSpot);
        ProcessPending();
        EXPECT_EQ(!balloon.HasWindow(), c.closedAfterPress);
        QTest::mouseRelease(owner->windowHandle(), c.button, {}, kQuietSpot);
        ProcessPending();
        EXPECT_EQ(!balloon.HasWindow(), c.closedAfterRelease);
        EXPECT_EQ(balloon.isVisible(), !c.closedAfterRelease);
    }
}

TEST(BalloonWndTest, ButtonUpOptionsGrabTheMouseUnlessAnotherWidgetHoldsIt) {
    struct Case {
        std::string name;
        std::uint32_t options;
        bool ownerHoldsGrab;
        bool balloonGrabs;
    };
    const Case cases[] = {
        {"left up", BH_CLOSE_ON_LEFT_UP, false, true},
        {"middle up", BH_CLOSE_ON_MIDDLE_UP, false, true},
        {"right up", BH_CLOSE_ON_RIGHT_UP, false, true},
        {"grab held elsewhere", BH_CLOSE_ON_LEFT_UP, true, false},
        {"button down only", BH_CLOSE_ON_LEFT_DOWN | BH_CLOSE_ON_RIGHT_DOWN, false, false},
    };
    auto owner = ShowOwnerWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.ownerHoldsGrab) {
            owner->grabMouse();
        }
        QWidget* const before = QWidget::mouseGrabber();
        {
            CBalloonWnd balloon;
            ASSERT_TRUE(balloon.Create(QStringLiteral("Title"), QStringLiteral("Text"),
                                       kAnchorInOwner, c.options, owner.get(), QString(), 0));
            EXPECT_EQ(QWidget::mouseGrabber(), c.balloonGrabs ? &balloon : before);
            balloon.RequestClose();
            EXPECT_EQ(QWidget::mouseGrabber(), before);
        }
        if (c.ownerHoldsGrab) {
            owner->releaseMouse();
        }
    }
}

TEST(BalloonWndTest, KeyPressesCloseOnlyWithCloseOnKey) {
    struct Case {
        std::string name;
        std::uint32_t options;
        bool closedAfterFirstKey;
        bool closedAfterSecondKey;
    };
    const Case cases[] = {
        {"close on key", BH_CLOSE_ON_KEY, true, true},
        {"no key option", BH_CLOSE_ON_ANY_MOUSE & ~BH_CLOSE_ON_MOUSE_MOVE, false, false},
        // The first request only stops the mouse options; with no time-out the balloon
        // then waits for the next key.
        {"delayed, without time-out", BH_CLOSE_ON_KEY | BH_DELAY_CLOSE | BH_CLOSE_ON_LEFT_DOWN,
         false, true},
    };
    auto owner = ShowOwnerWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CBalloonWnd balloon;
        ASSERT_TRUE(balloon.Create(QStringLiteral("Title"), QStringLiteral("Text"), kAnchorInOwner,
                                   c.options, owner.get(), QString(), 0));
        QTest::keyClick(owner->windowHandle(), Qt::Key_A);
        ProcessPending();
        EXPECT_EQ(!balloon.HasWindow(), c.closedAfterFirstKey);
        if (balloon.HasWindow() && (c.options & BH_DELAY_CLOSE)) {
            EXPECT_EQ(balloon.Options() & (BH_CLOSE_ON_ANY_MOUSE | BH_DELAY_CLOSE), 0U);
            EXPECT_TRUE(balloon.Options() & BH_CLOSE_ON_KEY);
        }
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
        ASSERT_TRUE(balloon.Create(QStringLiteral("Title"), QStringLiteral("Some help text"),
                                   kAnchorInOwner, BH_SHOW_CLOSE_BUTTON, owner.get(), QString(),
                                   0));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&balloon));
        QWindow* window = balloon.windowHandle();
        const QRect button = balloon.CloseButtonRect();
        const QPoint on = button.center();
        const QPoint off = balloon.ClientRect().bottomLeft() + QPoint(2, -2);
        ASSERT_TRUE(balloon.ClientRect().contains(button));
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
        QPoint release = on;
        if (c.moveOff) {
            QTest::mouseMove(window, off);
            EXPECT_EQ(balloon.CloseButtonState(), kCloseButtonFlat | kCloseButtonPushed);
            release = off;
        }
        if (c.moveBackOn) {
            QTest::mouseMove(window, on);
            EXPECT_EQ(balloon.CloseButtonState(), kCloseButtonHot | kCloseButtonPushed);
            release = on;
        }
        QTest::mouseRelease(window, Qt::LeftButton, {}, release);
        ProcessPending();
        EXPECT_EQ(!balloon.HasWindow(), c.closes);
        EXPECT_NE(QWidget::mouseGrabber(), &balloon);
        if (!c.closes) {
            EXPECT_EQ(balloon.CloseButtonState() & kCloseButtonPushed, 0U);
        }
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

    // Without a time-out it stays until asked to close.
    CBalloonWnd::Launch(QStringLiteral("Title"), QStringLiteral("Text"), QPoint(300, 300),
                        std::nullopt, 0, nullptr, QString(), 0);
    QPointer<CBalloonWnd> untimed = OnlyBalloon();
    ASSERT_TRUE(untimed);
    ProcessPending();
    ASSERT_TRUE(untimed);
    EXPECT_FALSE(untimed->close());  // the balloon closes itself, in its own way
    EXPECT_TRUE(QTest::qWaitFor([&] { return untimed.isNull(); }));
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
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    ASSERT_NE(first.data(), second.data());

    QTest::keyClick(owner->windowHandle(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }));
    ProcessPending();
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->isVisible());

    second->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return second.isNull(); }));
}

TEST(BalloonWndTest, MovingTheAnchorWindowMovesTheBalloon) {
    struct Case {
        std::string name;
        bool anchoredToOwner;
    };
    const Case cases[] = {{"anchored to the owner", true}, {"anchored to the screen", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto owner = ShowOwnerWindow();
        const QPoint anchorOnScreen = owner->mapToGlobal(kAnchorInOwner);
        CBalloonWnd balloon;
        ASSERT_TRUE(balloon.Create(QStringLiteral("Title"), QStringLiteral("Text"),
                                   c.anchoredToOwner ? kAnchorInOwner : anchorOnScreen, 0,
                                   c.anchoredToOwner ? owner.get() : nullptr, QString(), 0));
        ProcessPending();
        const QPoint before = balloon.pos();
        EXPECT_EQ(TipOnScreen(balloon), anchorOnScreen);

        const QPoint shift(30, 20);
        owner->move(owner->pos() + shift);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return owner->mapToGlobal(kAnchorInOwner) == anchorOnScreen + shift; }));
        if (c.anchoredToOwner) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return balloon.pos() == before + shift; }));
            EXPECT_EQ(TipOnScreen(balloon), anchorOnScreen + shift);
        } else {
            ProcessPending();
            EXPECT_EQ(balloon.pos(), before);
        }
    }
}

TEST(BalloonWndTest, ClickOnTheTextOpensTheLinkThroughTheDesktopAndCloses) {
    struct Case {
        std::string name;
        QString url;
        bool onMargin;
        bool opens;
    };
    const Case cases[] = {
        {"click on the text", QStringLiteral("https://example.org/help"), false, true},
        {"click on the margin", QStringLiteral("https://example.org/help"), true, false},
        {"no link", QString(), false, false},
    };
    auto owner = ShowOwnerWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingServices services;  // its open fails: the balloon closes all the same
        CBalloonWnd balloon(&services);
        ASSERT_TRUE(balloon.Create(QStringLiteral("Title"), QStringLiteral("Read more online"),
                                   kAnchorInOwner, 0, owner.get(), c.url, 0));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&balloon));
        const QRect client = balloon.ClientRect();
        const QPoint point =
            c.onMargin ? QPoint(client.left() - 4, client.center().y()) : client.center();
        QTest::mouseClick(balloon.windowHandle(), Qt::LeftButton, {}, point);
        ProcessPending();
        const std::vector<std::u16string> expected =
            c.opens ? std::vector<std::u16string>{c.url.toStdU16String()}
                    : std::vector<std::u16string>{};
        EXPECT_EQ(services.openedUrls, expected);
        EXPECT_EQ(!balloon.HasWindow(), c.opens);
    }
}

TEST(BalloonWndTest, FadesOnlyWhenTheDesktopAndThePlatformAllowIt) {
    struct Case {
        std::string name;
        bool animation;
        bool fade;
        BalloonFade support;
        std::uint32_t options;
        std::uint32_t noFadeBits;
        bool fadesIn;
        bool fadesOut;
    };
    const Case cases[] = {
        {"allowed", true, true, BalloonFade::Opacity, 0, 0, true, true},
        {"tooltip animation off", false, true, BalloonFade::Opacity, 0, BH_NO_FADE, false, false},
        {"tooltip fade off", true, false, BalloonFade::Opacity, 0, BH_NO_FADE, false, false},
        {"platform without opacity", true, true, BalloonFade::None, 0, BH_NO_FADE, false, false},
        {"offscreen platform", true, true, BalloonFade::Platform, 0, BH_NO_FADE, false, false},
        {"no fade in", true, true, BalloonFade::Opacity, BH_NO_FADE_IN, BH_NO_FADE_IN, false, true},
        {"no fade out", true, true, BalloonFade::Opacity, BH_NO_FADE_OUT, BH_NO_FADE_OUT, true,
         false},
    };
    auto owner = ShowOwnerWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingServices services;
        services.animation = c.animation;
        services.fade = c.fade;
        CBalloonWnd balloon(&services, c.support);
        ASSERT_TRUE(balloon.Create(QStringLiteral("Title"), QStringLiteral("Text"), kAnchorInOwner,
                                   c.options, owner.get(), QString(), 0));
        EXPECT_EQ(balloon.Options() & BH_NO_FADE, c.noFadeBits);
        EXPECT_TRUE(balloon.isVisible());
        if (c.fadesIn) {
            EXPECT_LT(balloon.windowOpacity(), 1.0);
            EXPECT_TRUE(QTest::qWaitFor([&] { return balloon.windowOpacity() == 1.0; }));
        } else {
            EXPECT_EQ(balloon.windowOpacity(), 1.0);
        }

        balloon.RequestClose();
        if (c.fadesOut) {
            EXPECT_TRUE(balloon.isVisible());
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
        {"no drop shadow", BH_NO_DROP_SHADOW, false, false, kBalloonClassPlain},
        {"drop shadow refused", 0, true, false, kBalloonClassPlain},
        {"topmost", BH_TOPMOST, false, false, kBalloonClassDropShadow},
        {"no class", 0, true, true, nullptr},
    };
    auto owner = ShowOwnerWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BalloonClassRegistry classes([&](const BalloonWindowClass& record) {
            return record.dropShadow ? !c.refuseDropShadow : !c.refusePlain;
        });
        CBalloonWnd balloon(nullptr, BalloonFade::Platform, &classes);
        const bool created = balloon.Create(QStringLiteral("Title"), QStringLiteral("Text"),
                                            kAnchorInOwner, c.options, owner.get(), QString(), 0);
        if (c.className == nullptr) {
            EXPECT_FALSE(created);
            EXPECT_FALSE(balloon.HasWindow());
            EXPECT_FALSE(balloon.isVisible());
            continue;
        }
        ASSERT_TRUE(created);
        ASSERT_NE(balloon.WindowClass(), nullptr);
        EXPECT_EQ(balloon.WindowClass()->name, std::u16string(c.className));
        const Qt::WindowFlags flags = balloon.windowFlags();
        EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
        EXPECT_TRUE(flags & Qt::FramelessWindowHint);
        EXPECT_TRUE(flags & Qt::WindowDoesNotAcceptFocus);
        EXPECT_EQ(bool(flags & Qt::NoDropShadowWindowHint), !balloon.WindowClass()->dropShadow);
        EXPECT_EQ(bool(flags & Qt::WindowStaysOnTopHint), bool(c.options & BH_TOPMOST));
        EXPECT_TRUE(balloon.testAttribute(Qt::WA_ShowWithoutActivating));
        EXPECT_EQ(balloon.windowTitle(), QStringLiteral("Title"));
        EXPECT_NE(QApplication::activeWindow(), &balloon);
    }
}

TEST(BalloonWndTest, WithoutAnOwnerWindowNothingIsShown) {
    CBalloonWnd balloon;
    EXPECT_FALSE(balloon.Create(QStringLiteral("Title"), QStringLiteral("Text"), QPoint(10, 10), 0,
                                nullptr, QString(), 0));
    EXPECT_FALSE(balloon.HasWindow());
    EXPECT_FALSE(balloon.isVisible());

    auto countBalloons = [] {
        int balloons = 0;
        const QWidgetList topLevels = QApplication::topLevelWidgets();
        for (QWidget* widget : topLevels) {
            balloons += qobject_cast<CBalloonWnd*>(widget) != nullptr ? 1 : 0;
        }
        return balloons;
    };
    const int before = countBalloons();
    CBalloonWnd::Launch(QStringLiteral("Title"), QStringLiteral("Text"), QPoint(10, 10),
                        QStyle::SP_MessageBoxInformation, 0, nullptr, QString(), 0);
    // The launched balloon was deleted at once, not left for later.
    EXPECT_EQ(countBalloons(), before);
}

TEST(BalloonWndTest, ClosingTheOwnerEndsTheBalloonsWindow) {
    {
        auto owner = ShowOwnerWindow();
        CBalloonWnd::Launch(QStringLiteral("Title"), QStringLiteral("Text"), kAnchorInOwner,
                            std::nullopt, BH_CLOSE_ON_KEY | BH_CLOSE_ON_LEFT_UP, owner.get(),
                            QString(), 0);
        QPointer<CBalloonWnd> launched = OnlyBalloon();
        ASSERT_TRUE(launched);
        owner.reset();
        // Deleted with the owner, so nothing is left when no event loop runs afterwards.
        EXPECT_TRUE(launched.isNull());
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    }
    {
        auto owner = ShowOwnerWindow();
        CBalloonWnd balloon;
        ASSERT_TRUE(balloon.Create(QStringLiteral("Title"), QStringLiteral("Text"), kAnchorInOwner,
                                   BH_CLOSE_ON_KEY, owner.get(), QString(), 0));
        owner.reset();
        // The object belongs to its creator and outlives its window.
        EXPECT_FALSE(balloon.HasWindow());
        EXPECT_FALSE(balloon.isVisible());
    }
}

}  // namespace
}  // namespace brindle
