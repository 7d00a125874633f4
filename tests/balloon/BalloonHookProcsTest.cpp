// What closes the balloon from the application's input, and the anchor window's moves
// that place it again. Input is sent to windows, the way the windowing system delivers it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <memory>

#include "BalloonTestSupport.h"
#include "balloon/BalloonWnd.h"

namespace brindle {
namespace {

using testing::CreateAtOwnerAnchor;
using testing::kAnchorInOwner;
using testing::kQuietSpot;
using testing::OnlyBalloon;
using testing::ProcessPending;
using testing::ShowOwnerWindow;
using testing::TipOnScreen;

TEST(BalloonHookProcsTest, ContextHelpStaysWithinTheMoveToleranceThenTimesOutAndDeletesItself) {
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

TEST(BalloonHookProcsTest, EachButtonOptionClosesOnItsOwnButtonEventOnly) {
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
        ASSERT_TRUE(CreateAtOwnerAnchor(balloon, c.options, owner.get()));
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
    ASSERT_TRUE(CreateAtOwnerAnchor(balloon, BH_CLOSE_ON_LEFT_UP, owner.get()));
    EXPECT_EQ(QWidget::mouseGrabber(), owner.get());
    owner->releaseMouse();
}

TEST(BalloonHookProcsTest, KeyPressesCloseOnlyWithCloseOnKey) {
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
        ASSERT_TRUE(CreateAtOwnerAnchor(balloon, c.options, owner.get()));
        QTest::keyClick(owner->windowHandle(), Qt::Key_A);
        ProcessPending();
        EXPECT_EQ(!balloon.HasWindow(), c.closedAfterFirstKey);
        QTest::keyClick(owner->windowHandle(), Qt::Key_Escape);
        ProcessPending();
        EXPECT_EQ(!balloon.HasWindow(), c.closedAfterSecondKey);
    }
}

TEST(BalloonHookProcsTest, MovingTheAnchorWindowMovesTheBalloon) {
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

}  // namespace
}  // namespace brindle
