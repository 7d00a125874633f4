#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QPaintEvent>
#include <QScreen>
#include <QShortcut>
#include <QTest>
#include <QUrl>
#include <QtEndian>

#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "AboutBoxDriver.h"

namespace brindle::testing {
namespace {

const QRect kLinkRect(120, 140, 185, 13);
// The link text's area, descenders included.
const QRect kLinkArea(120, 140, 200, 20);

// Stands in for the browser: collects the pages the box asks the desktop to open.
class PageSink : public QObject {
    Q_OBJECT

public:
    std::vector<QUrl> pages;

public slots:
    void open(const QUrl& url) { pages.push_back(url); }
};

// Collects the regions the box repaints.
class PaintWatch : public QObject {
public:
    std::vector<QRegion> regions;

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            regions.push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
};

// A window that is active when the box opens, with an application-wide F1 of its own.
struct Owner {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    int helpRequests = 0;

    explicit Owner(const QRect& geometry = QRect(100, 100, 400, 300)) {
        auto* help = new QShortcut(QKeySequence(Qt::Key_F1), window.get());
        help->setContext(Qt::ApplicationShortcut);
        QObject::connect(help, &QShortcut::activated, [this] { ++helpRequests; });
        window->setGeometry(geometry);
        window->show();
        window->activateWindow();
        QCoreApplication::processEvents();
    }
};

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(exports.aboutBox && exports.aboutBoxArray);
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &sink, "open");
    }
    void TearDown() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }

    bool ShowText(const char16_t* text) const { return exports.aboutBox(text); }

    KelvaneUExports exports = LoadKelvaneU();
    PageSink sink;
};

TEST_F(AboutBoxTest, ShowsTheLibrarysPictureAtTheTopLeft) {
    QFile file(QStringLiteral(":/kelvaneu/picture.bmp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bmp = file.readAll();
    ASSERT_EQ(bmp.size(), 14 + 40 + 360 * 162);  // 24 bits, uncompressed, rows padded to 360
    const auto at32 = [&bmp](int i) { return qFromLittleEndian<qint32>(bmp.constData() + i); };
    EXPECT_EQ(at32(18), 119);
    EXPECT_EQ(at32(22), 162);
    EXPECT_EQ(qFromLittleEndian<qint16>(bmp.constData() + 28), 24);
    EXPECT_EQ(at32(30), 0);
    const QImage picture = QImage::fromData(bmp, "BMP");
    ASSERT_EQ(picture.size(), QSize(119, 162));

    const BoxRun run = RunBox(
        [this] { return ShowText(u"BRINDLE\nLAST"); },
        [&](QDialog& box) {
            const QImage shown = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
            // Left of the text, nothing is drawn over the picture, which is scaled with the
            // layout (not at all for a font 13 pixels high).
            const QRect free = LayoutRect(box, QRect(0, 0, 110, 162)).intersected(box.rect());
            const QRect whole = LayoutRect(box, QRect(0, 0, 119, 162));
            const QImage expected =
                picture.scaled(whole.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_RGB32)
                    .copy(free);
            if (LayoutScale(box) == 1) {
                EXPECT_EQ(shown.copy(free), expected);
            } else {
                long long difference = 0;
                for (int y = 0; y < free.height(); ++y)
                    for (int x = 0; x < free.width(); ++x)
                        difference +=
                            std::abs(qGreen(shown.pixel(x, y)) - qGreen(expected.pixel(x, y)));
                EXPECT_LT(difference / (free.width() * free.height()), 6);
            }
            EXPECT_EQ(shown.pixel(LayoutPoint(box, {300, 5})), qRgb(255, 255, 255));
            QTest::keyClick(&box, Qt::Key_Return);
        });
    EXPECT_TRUE(run.driven && !run.leftOpen);
}

// A line drawn at `top`: black for the first line, grey for the others.
struct Line {
    int top;
    bool black;
};

TEST_F(AboutBoxTest, DrawsTheFirstLineBlackAndTheOthersGreyFromTheirTopLeft) {
    static const char16_t* const kOne[] = {u"BRINDLE"};
    static const char16_t* const kFour[] = {u"BRINDLE", u"HIGH", u"LOW", u"END"};
    static const char16_t* const kGap[] = {u"BRINDLE", nullptr, u"END"};
    const struct {
        const char* name;
        std::function<bool()> show;
        std::vector<Line> lines;
    } cases[] = {
        {"two lines", [this] { return ShowText(u"BRINDLE\nLAST"); }, {{7, true}, {22, false}}},
        {"three lines show the first and the last",
         [this] { return ShowText(u"BRINDLE\nMIDDLE\nLAST"); },
         {{7, true}, {22, false}}},
        {"array of one", [this] { return exports.aboutBoxArray(kOne, 1); }, {{7, true}}},
        {"array of four",
         [this] { return exports.aboutBoxArray(kFour, 4); },
         {{7, true}, {22, false}, {37, false}, {52, false}}},
        {"array with a null line",
         [this] { return exports.aboutBoxArray(kGap, 3); },
         {{7, true}, {37, false}}},
        // Outside the contract: something sensible, and no crash.
        {"text without a line feed is one line",
         [this] { return ShowText(u"BRINDLE"); },
         {{7, true}}},
        {"empty text", [this] { return ShowText(u""); }, {}},
        {"null text", [this] { return ShowText(nullptr); }, {}},
        {"empty array", [this] { return exports.aboutBoxArray(kFour, 0); }, {}},
        {"null array", [this] { return exports.aboutBoxArray(nullptr, 3); }, {}},
    };
    // Lines are placed by their top-left corner: capitals start this far below it.
    QFont font;
    font.setPixelSize(14);
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int capitalsTop = metrics.ascent() + metrics.tightBoundingRect(QStringLiteral("H")).top();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const BoxRun run = RunBox(c.show, [&](QDialog& box) {
            const QImage shown = box.grab().toImage();
            const qreal scale = LayoutScale(box);
            const int left = LayoutPoint(box, {110, 0}).x();
            for (int top = 7; top + 15 <= kLinkRect.top(); top += 15) {
                SCOPED_TRACE(top);
                QRect band = LayoutRect(box, QRect(110, top, 0, 15));
                band.setRight(shown.width() - 1);
                const auto line = std::find_if(c.lines.begin(), c.lines.end(),
                                               [top](const Line& l) { return l.top == top; });
                if (line == c.lines.end()) {
                    EXPECT_EQ(Darkest(shown, band), 255);
                    continue;
                }
                const int darkest = Darkest(shown, band);
                if (line->black) {
                    EXPECT_LT(darkest, 60);
                } else {
                    EXPECT_GE(darkest, 140);
                    EXPECT_LE(darkest, 160);
                }
                const QRect ink = Ink(shown, band);
                EXPECT_GE(ink.left(), left);
                EXPECT_LE(ink.left(), LayoutPoint(box, {112, 0}).x() + 1);
                EXPECT_NEAR(ink.top(), (top + capitalsTop) * scale, 1.5);
                // The box is wide enough for the whole line.
                EXPECT_LT(ink.right(), shown.width() - 2);
            }
            const QRect linkArea = LayoutRect(box, kLinkArea);
            EXPECT_GE(Darkest(shown, linkArea), 225);  // the link, light grey
            EXPECT_LT(Darkest(shown, linkArea), 250);
            QTest::keyClick(&box, Qt::Key_Return);
        });
        EXPECT_TRUE(run.driven);
        EXPECT_FALSE(run.leftOpen);
        EXPECT_TRUE(run.result);
    }
}

TEST_F(AboutBoxTest, LinkTurnsBlackUnderTheCursorWithOneRepaintPerChange) {
    // Points on and around the hot area's edges, as the box shows it.
    enum class At { Outside, TopLeft, BottomRight, Inside, RightOf, Below, Above, LeftOf, Within };
    const struct {
        At at;
        bool hot;
        bool repainted;
    } steps[] = {
        {At::Outside, false, false}, {At::TopLeft, true, true},  {At::BottomRight, true, false},
        {At::Inside, true, false},   {At::RightOf, false, true}, {At::Below, false, false},
        {At::Above, false, false},   {At::LeftOf, false, false}, {At::Within, true, true},
    };
    const auto drive = [&](QDialog& box) {
        const QRect hot = LayoutRect(box, kLinkRect);
        const QRect linkArea = LayoutRect(box, kLinkArea);
        const int middle = LayoutPoint(box, {0, 146}).y();
        const int across = LayoutPoint(box, {200, 0}).x();
        const auto point = [&](At at) -> QPoint {
            switch (at) {
                case At::Outside:
                    return LayoutPoint(box, {50, 50});
                case At::TopLeft:
                    return hot.topLeft();
                case At::BottomRight:
                    return hot.bottomRight();
                case At::Inside:
                    return {across, middle};
                case At::RightOf:
                    return {hot.right() + 1, middle};
                case At::Below:
                    return {across, hot.bottom() + 1};
                case At::Above:
                    return {across, hot.top() - 1};
                case At::LeftOf:
                    return {hot.left() - 1, middle};
                case At::Within:
                    return LayoutPoint(box, {150, 145});
            }
            return {};
        };
        PaintWatch watch;
        box.installEventFilter(&watch);
        for (const auto& step : steps) {
            const QPoint at = point(step.at);
            SCOPED_TRACE(::testing::Message() << at.x() << "," << at.y());
            watch.regions.clear();
            QTest::mouseMove(&box, at);
            QCoreApplication::processEvents();
            ASSERT_EQ(watch.regions.size(), step.repainted ? 1u : 0u);
            if (step.repainted) {
                EXPECT_TRUE(watch.regions[0].contains(hot));
                // Scaled edges may each round a pixel outwards.
                EXPECT_TRUE(
                    linkArea.adjusted(-1, -1, 1, 1).contains(watch.regions[0].boundingRect()));
            }
            EXPECT_EQ(box.cursor().shape(), step.hot ? Qt::PointingHandCursor : Qt::ArrowCursor);
            const int darkest = Darkest(box.grab().toImage(), linkArea);
            if (step.hot) {
                EXPECT_LT(darkest, 60);
            } else {
                EXPECT_GE(darkest, 225);
            }
        }
        // The cursor can leave the window straight from the link.
        watch.regions.clear();
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&box, &leave);
        QCoreApplication::processEvents();
        EXPECT_EQ(watch.regions.size(), 1u);
        EXPECT_GE(Darkest(box.grab().toImage(), linkArea), 225);
        box.removeEventFilter(&watch);
        QTest::keyClick(&box, Qt::Key_Escape);
    };
    const BoxRun run = RunBox([this] { return ShowText(u"BRINDLE\nLAST"); }, drive);
    EXPECT_TRUE(run.driven && !run.leftOpen);
    EXPECT_FALSE(run.result);
}

TEST_F(AboutBoxTest, ClosesAsOkOrAsCancel) {
    const struct {
        const char* name;
        std::function<void(QDialog&, Owner&)> drive;
        bool result;
    } cases[] = {
        {"Enter", [](QDialog& box, Owner&) { QTest::keyClick(&box, Qt::Key_Return); }, true},
        {"keypad Enter",
         [](QDialog& box, Owner&) { QTest::keyClick(&box, Qt::Key_Enter, Qt::KeypadModifier); },
         true},
        {"click beside the link",
         [](QDialog& box, Owner&) {
             const QRect hot = LayoutRect(box, kLinkRect);
             QTest::mouseClick(&box, Qt::LeftButton, {}, {hot.left() - 1, hot.center().y()});
         },
         true},
        {"Escape", [](QDialog& box, Owner&) { QTest::keyClick(&box, Qt::Key_Escape); }, false},
        {"closed from the keyboard", [](QDialog& box, Owner&) { box.close(); }, false},
        {"a right click does not close it",
         [](QDialog& box, Owner&) {
             QTest::mouseClick(&box, Qt::RightButton, {}, {10, 10});
             EXPECT_TRUE(box.isVisible());
             QTest::keyClick(&box, Qt::Key_Escape);
         },
         false},
        {"the link opens the page and keeps the box",
         [this](QDialog& box, Owner&) {
             QTest::mouseClick(&box, Qt::LeftButton, {}, LayoutPoint(box, {130, 145}));
             ASSERT_EQ(sink.pages.size(), 1u);
             EXPECT_EQ(sink.pages[0].host(), QStringLiteral("www.example.org"));
             EXPECT_TRUE(box.isVisible());
             QTest::keyClick(&box, Qt::Key_Return);
         },
         true},
        {"F1 does nothing",
         [](QDialog& box, Owner& owner) {
             QTest::keyClick(&box, Qt::Key_F1);
             EXPECT_EQ(owner.helpRequests, 0);
             EXPECT_EQ(QApplication::activeModalWidget(), &box);
             EXPECT_TRUE(box.isVisible());
             QTest::keyClick(&box, Qt::Key_Escape);
         },
         false},
        {"its owner is destroyed under it", [](QDialog&, Owner& owner) { owner.window.reset(); },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sink.pages.clear();
        Owner owner;
        const BoxRun run = RunBox([this] { return ShowText(u"BRINDLE\nLAST"); },
                                  [&](QDialog& box) { c.drive(box, owner); });
        EXPECT_TRUE(run.driven);
        EXPECT_FALSE(run.leftOpen);
        EXPECT_EQ(run.result, c.result);
    }
}

TEST_F(AboutBoxTest, IsCentredOverItsOwnerAndKeptInsideTheWorkArea) {
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    // 220 x 99 dialog units, or the layout's 330 x 161 pixels scaled for the font's height
    // (13 pixels at the layout's own font), whichever is larger.
    const QFontMetrics metrics(QApplication::font());
    const qreal scale = metrics.height() / 13.0;
    const QSize size(std::max((220 * metrics.averageCharWidth() + 2) / 4, qRound(330 * scale)),
                     std::max((99 * metrics.height() + 4) / 8, qRound(161 * scale)));
    const struct {
        const char* name;
        std::optional<QRect> owner;
        QPoint centre;  // of the box, when it fits
    } cases[] = {
        {"over its owner", QRect(100, 80, 500, 400), QRect(100, 80, 500, 400).center()},
        {"owner in a corner", QRect(work.right() - 100, work.bottom() - 60, 200, 120), {}},
        {"owner off the top left", QRect(work.left() - 300, work.top() - 200, 320, 220), {}},
        {"no owner: over the work area", std::nullopt, work.center()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<Owner> owner;
        if (c.owner) {
            owner.emplace(*c.owner);
            ASSERT_EQ(QApplication::activeWindow(), owner->window.get());
        } else {
            ASSERT_EQ(QApplication::activeWindow(), nullptr);
        }
        const auto drive = [&](QDialog& box) {
            EXPECT_STREQ(box.metaObject()->className(), "CAboutDlg");
            EXPECT_EQ(box.parentWidget(), owner ? owner->window.get() : nullptr);
            EXPECT_TRUE(box.windowFlags() & Qt::FramelessWindowHint);
            EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
            EXPECT_EQ(box.size(), size);
            const QRect placed = box.frameGeometry();
            EXPECT_TRUE(work.contains(placed));
            if (!c.centre.isNull()) {
                EXPECT_LE((placed.center() - c.centre).manhattanLength(), 2);
            }
            QTest::keyClick(&box, Qt::Key_Return);
        };
        const BoxRun run = RunBox([this] { return ShowText(u"BRINDLE\nLAST"); }, drive);
        EXPECT_TRUE(run.driven && run.result);
    }
}

TEST_F(AboutBoxTest, FailsOnAThreadOtherThanTheApplicationsOwn) {
    bool result = true;
    std::thread other([&] { result = exports.aboutBox(u"BRINDLE\nLAST"); });
    other.join();
    EXPECT_FALSE(result);
}

}  // namespace
}  // namespace brindle::testing

#include "AboutBoxTest.moc"
