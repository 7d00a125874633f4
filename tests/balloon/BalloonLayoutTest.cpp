// The balloon's measurements, shape and painting on real windows.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>

#include "BalloonTestSupport.h"
#include "balloon/BalloonWnd.h"

namespace brindle {
namespace {

using testing::ProcessPending;
using testing::ShowOwnerWindow;
using testing::TipOnScreen;

// In the upper left of the screen: the balloon hangs below it, with the tail on top.
constexpr QPoint kAnchor(200, 200);

QSize MeasureHeader(CBalloonWnd& balloon) {
    QPixmap device(1, 1);
    QPainter painter(&device);
    return balloon.DrawHeader(painter, false);
}

QSize MeasureContent(CBalloonWnd& balloon) {
    QPixmap device(1, 1);
    QPainter painter(&device);
    return balloon.DrawContent(painter, 0, false);
}

QPixmap IconPixmap(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::darkCyan);
    return pixmap;
}

class BalloonLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { owner_ = ShowOwnerWindow(); }

    std::unique_ptr<CBalloonWnd> Make(const QString& title, const QString& content,
                                      std::uint32_t options = 0, const QIcon& icon = QIcon(),
                                      QPoint anchor = kAnchor) {
        auto balloon = std::make_unique<CBalloonWnd>();
        EXPECT_TRUE(balloon->Create(title, content, anchor, options, nullptr, QString(), 0, icon));
        return balloon;
    }

    std::unique_ptr<QWidget> owner_;
};

TEST_F(BalloonLayoutTest, HeaderJoinsIconCloseButtonAndTitleWithEightPixelGaps) {
    const QSize icon(10, 12);
    const int buttonExtent = QApplication::style()->pixelMetric(QStyle::PM_TitleBarButtonSize);
    const QSize title = MeasureHeader(*Make(QStringLiteral("Batch Title"), QString()));
    ASSERT_GT(title.width(), 0);
    ASSERT_GT(title.height(), 0);

    struct Case {
        std::string name;
        bool withIcon;
        bool withButton;
        bool withTitle;
        QSize expected;
    };
    const Case cases[] = {
        {"nothing", false, false, false, QSize(0, 0)},
        {"close button", false, true, false, QSize(buttonExtent, buttonExtent)},
        {"icon and close button", true, true, false,
         QSize(10 + 8 + buttonExtent, std::max(12, buttonExtent))},
        {"all three", true, true, true,
         QSize(10 + 8 + buttonExtent + 8 + title.width(),
               std::max({12, buttonExtent, title.height()}))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto balloon = Make(c.withTitle ? QStringLiteral("Batch Title") : QString(),
                            QStringLiteral("Body"), c.withButton ? BH_SHOW_CLOSE_BUTTON : 0,
                            c.withIcon ? QIcon(IconPixmap(icon)) : QIcon());
        EXPECT_EQ(MeasureHeader(*balloon), c.expected);
        const QSize content = MeasureContent(*balloon);
        EXPECT_EQ(balloon->ClientSize(), QSize(std::max(c.expected.width(), content.width()),
                                               c.expected.height() + 8 + content.height()));
        EXPECT_EQ(balloon->size(), balloon->ClientSize() + QSize(16, 36));
    }
}

TEST_F(BalloonLayoutTest, WithAnEmptyHeaderTheContentStartsEightPixelsDown) {
    auto bare = Make(QString(), QStringLiteral("Text right under the gap"));
    EXPECT_EQ(MeasureHeader(*bare), QSize(0, 0));
    EXPECT_EQ(bare->ClientSize(), MeasureContent(*bare) + QSize(0, 8));
    auto empty = Make(QString(), QString());
    EXPECT_EQ(empty->size(), QSize(16, 44));  // the gap, the margins and the tail band

    // Painted as measured: nothing in the gap, the text below it.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bare.get()));
    const QImage image = bare->grab().toImage();
    const QRect client = bare->ClientRect();
    auto rowHasInk = [&](int y) {
        for (int x = client.left(); x <= client.right(); ++x) {
            if (image.pixelColor(x, y) != bare->BackgroundColour()) {
                return true;
            }
        }
        return false;
    };
    for (int y = client.top(); y < client.top() + 8; ++y) {
        EXPECT_FALSE(rowHasInk(y)) << "row " << y - client.top() << " of the client area";
    }
    bool inked = false;
    for (int y = client.top() + 8; y <= client.bottom(); ++y) {
        inked = inked || rowHasInk(y);
    }
    EXPECT_TRUE(inked);
}

TEST_F(BalloonLayoutTest, ShapeIsAppliedOnlyWhenItChanges) {
    auto balloon = Make(QStringLiteral("Title"), QStringLiteral("Text"));
    ASSERT_TRUE(balloon->Shape());
    EXPECT_EQ(balloon->ShapeApplications(), 1);
    EXPECT_EQ(balloon->mask(), *balloon->Shape());

    balloon->Reposition();
    balloon->Reposition();
    EXPECT_EQ(balloon->ShapeApplications(), 1);

    // Another place in the same quarter moves the window but keeps its shape.
    balloon->SetAnchor(kAnchor + QPoint(15, 25));
    EXPECT_EQ(balloon->ShapeApplications(), 1);
    EXPECT_EQ(TipOnScreen(*balloon), kAnchor + QPoint(15, 25));

    // Another quarter moves the tail: a new shape.
    balloon->SetAnchor(QPoint(600, 600));
    EXPECT_EQ(balloon->ShapeApplications(), 2);
    EXPECT_EQ(balloon->mask(), *balloon->Shape());

    const QRegion shape = *balloon->Shape();
    const BalloonTail& tail = balloon->Placement().tail;
    const QPoint tailMiddle((tail.a.x + tail.tip.x + tail.c.x) / 3,
                            (tail.a.y + tail.tip.y + tail.c.y) / 3);
    EXPECT_GE(tailMiddle.y(), balloon->Placement().bodyBottom);  // the tail hangs down
    EXPECT_TRUE(shape.contains(tailMiddle));
    EXPECT_TRUE(shape.contains(QPoint(balloon->width() / 2, balloon->height() / 2)));
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));                       // a rounded corner
    EXPECT_FALSE(shape.contains(QPoint(10, balloon->height() - 5)));  // beside the tail
}

TEST_F(BalloonLayoutTest, ScaledIconIsFlattenedOntoTheBackgroundWhichStaysTransparent) {
    QPixmap source(16, 16);
    source.fill(Qt::transparent);
    {
        QPainter painter(&source);
        painter.fillRect(QRect(4, 4, 8, 8), Qt::red);
    }
    auto balloon = std::make_unique<CBalloonWnd>();
    balloon->SetIconScaled(QIcon(source), 32, 32);
    ASSERT_EQ(balloon->IconSize(), QSize(32, 32));
    ASSERT_TRUE(balloon->Create(QString(), QStringLiteral("With an icon"), kAnchor, 0, nullptr,
                                QString(), 0));
    EXPECT_EQ(MeasureHeader(*balloon), QSize(32, 32));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(balloon.get()));

    const QImage image = balloon->grab().toImage();
    const QPoint icon = balloon->ClientRect().topLeft();
    EXPECT_EQ(image.pixelColor(icon + QPoint(1, 1)), balloon->BackgroundColour());
    EXPECT_EQ(image.pixelColor(icon + QPoint(16, 16)), QColor(Qt::red));

    // A null image leaves no icon, and the header shrinks with it.
    balloon->SetIcon(QIcon());
    EXPECT_EQ(balloon->IconSize(), QSize());
    EXPECT_EQ(MeasureHeader(*balloon), QSize(0, 0));
}

}  // namespace
}  // namespace brindle
