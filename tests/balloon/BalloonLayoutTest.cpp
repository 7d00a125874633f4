// The balloon's measurements, shape and painting on real windows.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
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

    int HalfWorkAreaWidth() const {
        const int width = QGuiApplication::primaryScreen()->availableGeometry().width();
        return width - width / 2;
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
        {"icon", true, false, false, icon},
        {"close button", false, true, false, QSize(buttonExtent, buttonExtent)},
        {"icon and close button", true, true, false,
         QSize(10 + 8 + buttonExtent, std::max(12, buttonExtent))},
        {"close button and title", false, true, true,
         QSize(buttonExtent + 8 + title.width(), std::max(buttonExtent, title.height()))},
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

TEST_F(BalloonLayoutTest, EmptyHeaderAndEmptyContentStillKeepTheGap) {
    auto bare = Make(QString(), QStringLiteral("Only a body"));
    EXPECT_EQ(MeasureHeader(*bare), QSize(0, 0));
    const QSize content = MeasureContent(*bare);
    EXPECT_EQ(bare->ClientSize(), content + QSize(0, 8));

    auto titleOnly = Make(QStringLiteral("Only a title"), QString());
    EXPECT_EQ(MeasureContent(*titleOnly), QSize(0, 0));
    EXPECT_EQ(titleOnly->ClientSize(), MeasureHeader(*titleOnly) + QSize(0, 8));

    auto empty = Make(QString(), QString());
    EXPECT_EQ(empty->ClientSize(), QSize(0, 8));
    EXPECT_EQ(empty->size(), QSize(16, 44));
}

TEST_F(BalloonLayoutTest, ContentIsPaintedEightPixelsBelowAnEmptyHeader) {
    auto balloon = Make(QString(), QStringLiteral("Text right under the gap"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(balloon.get()));
    const QImage image = balloon->grab().toImage();
    const QRect client = balloon->ClientRect();
    const QColor background = balloon->BackgroundColour();
    auto rowHasInk = [&](int y) {
        for (int x = client.left(); x <= client.right(); ++x) {
            if (image.pixelColor(x, y) != background) {
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

TEST_F(BalloonLayoutTest, ContentWrapsAtWordsWithinHalfTheWorkArea) {
    const int oneLine = MeasureContent(*Make(QString(), QStringLiteral("x"))).height();
    QString words;
    for (int i = 0; i < 60; ++i) {
        words += QStringLiteral("word%1 ").arg(i);
    }
    const QSize wrapped = MeasureContent(*Make(QString(), words.trimmed()));
    EXPECT_LE(wrapped.width(), HalfWorkAreaWidth());
    EXPECT_GE(wrapped.height(), 3 * oneLine);

    // A single word longer than that is not broken.
    const QSize longWord = MeasureContent(*Make(QString(), QString(120, QLatin1Char('W'))));
    EXPECT_GT(longWord.width(), HalfWorkAreaWidth());
    EXPECT_EQ(longWord.height(), oneLine);
}

TEST_F(BalloonLayoutTest, ATitleWiderThanTheContentSetsTheWidth) {
    auto balloon =
        Make(QStringLiteral("A rather long title for a tiny text"), QStringLiteral("ok"));
    const QSize header = MeasureHeader(*balloon);
    ASSERT_GT(header.width(), MeasureContent(*balloon).width());
    EXPECT_EQ(balloon->ClientSize().width(), header.width());
}

TEST_F(BalloonLayoutTest, WindowSitsOnItsPlacementWithTheTipOnTheAnchor) {
    struct Case {
        std::string name;
        QPoint anchor;
        int quadrant;
    };
    const Case cases[] = {
        {"upper left", QPoint(200, 200), 1},
        {"upper right", QPoint(600, 200), 0},
        {"lower right", QPoint(600, 600), 2},
        {"lower left", QPoint(200, 600), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto balloon = Make(QStringLiteral("Title"), QStringLiteral("Text"), 0, QIcon(), c.anchor);
        const BalloonPlacement& placement = balloon->Placement();
        EXPECT_EQ(placement.quadrant, c.quadrant);
        EXPECT_EQ(balloon->AnchorQuadrant(), c.quadrant);
        EXPECT_EQ(balloon->geometry(), QRect(placement.topLeft.x, placement.topLeft.y,
                                             placement.size.cx, placement.size.cy));
        EXPECT_EQ(balloon->pos() + QPoint(placement.tail.tip.x, placement.tail.tip.y), c.anchor);
        const int tailTop = TailOnTop(c.quadrant) ? 20 : 0;
        EXPECT_EQ(balloon->ClientRect(),
                  QRect(8, 8 + tailTop, balloon->width() - 16, balloon->height() - 36));
        EXPECT_EQ(balloon->CloseButtonRect().right(), balloon->ClientRect().right());
    }
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
    EXPECT_EQ(
        balloon->pos() + QPoint(balloon->Placement().tail.tip.x, balloon->Placement().tail.tip.y),
        kAnchor + QPoint(15, 25));

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

TEST_F(BalloonLayoutTest, BorderAndInnerShadowFollowTheShape) {
    struct Case {
        std::string name;
        std::uint32_t options;
    };
    const Case cases[] = {{"plain", 0}, {"inner shadow", BH_INNER_SHADOW}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto balloon = Make(QString(), QStringLiteral("Shadowed"), c.options);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(balloon.get()));
        ASSERT_EQ(balloon->Placement().bodyTop, 20);
        const QImage image = balloon->grab().toImage();
        const QColor back = balloon->BackgroundColour();
        const QColor text = balloon->TextColour();
        const BalloonRgb backRgb{back.red(), back.green(), back.blue()};
        const BalloonRgb lightRgb = InnerShadowLight(backRgb);
        const BalloonRgb darkRgb =
            InnerShadowDark(backRgb, {text.red(), text.green(), text.blue()});
        const QColor light(lightRgb.red, lightRgb.green, lightRgb.blue);
        const QColor dark(darkRgb.red, darkRgb.green, darkRgb.blue);
        const bool shadow = (c.options & BH_INNER_SHADOW) != 0;

        const int x = balloon->width() / 2;
        const int top = balloon->Placement().bodyTop;
        const int bottom = balloon->Placement().bodyBottom;
        EXPECT_EQ(image.pixelColor(x, top), text);
        EXPECT_EQ(image.pixelColor(x, top + 1), shadow ? light : back);
        EXPECT_EQ(image.pixelColor(x, top + 2), shadow ? light : back);
        EXPECT_EQ(image.pixelColor(x, top + 3), back);
        EXPECT_EQ(image.pixelColor(x, bottom - 1), text);
        EXPECT_EQ(image.pixelColor(x, bottom - 2), shadow ? dark : back);
        EXPECT_EQ(image.pixelColor(x, bottom - 3), shadow ? dark : back);
        EXPECT_EQ(image.pixelColor(x, bottom - 4), back);
        const int y = (top + bottom) / 2;
        EXPECT_EQ(image.pixelColor(0, y), text);
        EXPECT_EQ(image.pixelColor(1, y), shadow ? light : back);
        EXPECT_EQ(image.pixelColor(balloon->width() - 1, y), text);
        EXPECT_EQ(image.pixelColor(balloon->width() - 2, y), shadow ? dark : back);
    }
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

    // Null images leave no icon, and the header shrinks with it.
    balloon->SetIcon(QIcon());
    EXPECT_EQ(balloon->IconSize(), QSize());
    EXPECT_EQ(MeasureHeader(*balloon), QSize(0, 0));
    balloon->SetIconBitmapMasked(QPixmap(), Qt::white);
    EXPECT_EQ(balloon->IconSize(), QSize());
    balloon->SetIconBitmap(IconPixmap(QSize(20, 10)), QBitmap());
    EXPECT_EQ(balloon->IconSize(), QSize(20, 10));
    EXPECT_EQ(balloon->size(), balloon->ClientSize() + QSize(16, 36));
}

}  // namespace
}  // namespace brindle
