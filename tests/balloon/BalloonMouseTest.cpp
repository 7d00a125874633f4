// The balloon's own mouse handling: its close button and its link.

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <QWindow>

#include <memory>
#include <string>
#include <vector>

#include "BalloonTestSupport.h"
#include "balloon/BalloonWnd.h"

namespace brindle {
namespace {

using testing::CreateAtOwnerAnchor;
using testing::kQuietSpot;
using testing::ProcessPending;
using testing::RecordingServices;
using testing::ShowOwnerWindow;

TEST(BalloonMouseTest, CloseButtonClosesOnlyWhenTheReleaseIsOnIt) {
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
        ASSERT_TRUE(CreateAtOwnerAnchor(balloon, BH_SHOW_CLOSE_BUTTON, owner.get()));
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

TEST(BalloonMouseTest, ClickOnTheTextOpensTheLinkThroughTheDesktopAndCloses) {
    const QString url = QStringLiteral("https://example.org/help");
    auto owner = ShowOwnerWindow();
    for (const bool onMargin : {false, true}) {
        SCOPED_TRACE(onMargin ? "on the margin" : "on the text");
        RecordingServices services;  // its open fails: the balloon closes all the same
        CBalloonWnd balloon(&services);
        ASSERT_TRUE(CreateAtOwnerAnchor(balloon, 0, owner.get(), url));
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

}  // namespace
}  // namespace brindle
