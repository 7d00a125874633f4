// The balloon's life on real windows: how it is made and shown, when it fades, and what
// becomes of the window and the object when it ends.

#include "balloon/BalloonWnd.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QWindow>

#include <memory>
#include <string>

#include "BalloonTestSupport.h"
#include "balloon/BalloonWindowClasses.h"

namespace brindle {
namespace {

using testing::CreateAtOwnerAnchor;
using testing::kAnchorInOwner;
using testing::LiveBalloons;
using testing::OnlyBalloon;
using testing::ProcessPending;
using testing::RecordingServices;
using testing::ShowOwnerWindow;

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
        ASSERT_TRUE(CreateAtOwnerAnchor(balloon, 0, owner.get()));
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
        const bool created = CreateAtOwnerAnchor(balloon, c.options, owner.get());
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
    ASSERT_TRUE(CreateAtOwnerAnchor(owned, BH_CLOSE_ON_KEY, owner.get()));
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
