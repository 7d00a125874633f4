// The dialogs at one font and screen setting: every caption of the main dialog and the
// command-line dialog shown whole inside the room its style leaves for text, nothing
// overlapping, the Output Log's columns and the about box's layout grown with the font, the
// Output Log and the Preview opening beside the main dialog (or over the fewest of its
// buttons) whole on its screen, and a help balloon and the about box opening inside that
// screen. CTest runs this program once per setting, each in its own process: the default
// font, the font 1.25 times as large (BRINDLE_TEST_FONT_SCALE), QT_SCALE_FACTOR=2, fonts at
// 144 dpi, a 144 dpi screen, a small 1280 x 900 screen, and a 1600 x 1000 screen at
// QT_SCALE_FACTOR=2 and with fonts at 144 dpi.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

#include "ButtonCover.h"
#include "MainDialogFixture.h"
#include "app/CBrindleDlg.h"
#include "app/COutputDlg.h"
#include "app/CPreviewDlg.h"
#include "app/CSimpleBrindle.h"
#include "app/ControlIds.h"
#include "app/CreditsLibrary.h"
#include "app/OutputLogModel.h"
#include "app/OutputRows.h"
#include "balloon/BalloonWnd.h"
#include "batch/RowData.h"

using namespace apptest;

namespace {

// One text as its control's style draws it: the room the style leaves and the rectangle the
// text takes when laid into that room.
struct DrawnText {
    QString text;
    QRect room;
    QRect drawn;
};

QRect Aligned(const QWidget* w, const QRect& room, int flags, const QString& text) {
    return w->style()->itemTextRect(w->fontMetrics(), room, flags, w->isEnabled(), text);
}

// Measured here with the style's own calls, apart from the dialog's fitting code.
std::vector<DrawnText> TextsOf(QWidget* w, const QStringList& alternatives = {}) {
    std::vector<DrawnText> texts;
    QStyle* style = w->style();
    const int left = Qt::AlignLeft | Qt::AlignVCenter;
    if (auto* box = qobject_cast<QAbstractButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        QStyle::SubElement contents = QStyle::SE_PushButtonContents;
        int alignment = Qt::AlignCenter;
        if (qobject_cast<QCheckBox*>(w)) {
            contents = QStyle::SE_CheckBoxContents;
            alignment = left;
        } else if (qobject_cast<QRadioButton*>(w)) {
            contents = QStyle::SE_RadioButtonContents;
            alignment = left;
        }
        const QRect room = style->subElementRect(contents, &option, w);
        texts.push_back(
            {box->text(), room, Aligned(w, room, alignment | Qt::TextShowMnemonic, box->text())});
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.textAlignment = group->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        // The title is cut only at the box's own edge.
        texts.push_back(
            {group->title(), group->rect(),
             style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, w)});
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        QStringList all = alternatives;
        all.prepend(label->text());
        for (const QString& text : all)
            texts.push_back({text, label->contentsRect(),
                             Aligned(w, label->contentsRect(), int(label->alignment()), text)});
    } else if (auto* list = qobject_cast<QComboBox*>(w)) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        option.editable = list->isEditable();
        option.frame = list->hasFrame();
        option.subControls = QStyle::SC_All;
        const QRect room =
            style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, w);
        for (int i = 0; i < list->count(); ++i)
            texts.push_back({list->itemText(i), room, Aligned(w, room, left, list->itemText(i))});
    }
    texts.erase(std::remove_if(texts.begin(), texts.end(),
                               [](const DrawnText& t) { return t.text.isEmpty(); }),
                texts.end());
    return texts;
}

QString Describe(const QWidget* w, const DrawnText& t) {
    const auto rect = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    return QStringLiteral("%1 '%2': text %3 in room %4 of %5")
        .arg(w->objectName(), t.text, rect(t.drawn), rect(t.room), rect(w->rect()));
}

void CheckCaptionsAreWhole(QWidget* dialog, const QStringList& methodTexts = {}) {
    int checked = 0;
    for (QWidget* w : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QStringList alternatives =
            w->objectName() == QString::number(ids::kMethodLabel) ? methodTexts : QStringList();
        for (const DrawnText& t : TextsOf(w, alternatives)) {
            ++checked;
            QVERIFY2(w->rect().contains(t.room), qPrintable(Describe(w, t)));
            QVERIFY2(t.room.contains(t.drawn), qPrintable(Describe(w, t)));
        }
    }
    QVERIFY(checked > 0);
}

// The dialog's buttons, in screen coordinates.
std::vector<QRect> ButtonsOf(const QWidget* dialog) {
    std::vector<QRect> buttons;
    for (const QPushButton* b : dialog->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly))
        if (b->isVisible())
            buttons.emplace_back(b->mapToGlobal(QPoint(0, 0)), b->size());
    return buttons;
}

QRect OnScreen(const QWidget* w) {
    return {w->mapToGlobal(QPoint(0, 0)), w->size()};
}

// The room on the roomiest side of `owner` inside `area`, less `size`: at least 0 when a
// window of `size` fits there, less than 0 when it fits on no side.
int RoomBeside(const QRect& owner, const QRect& area, QSize size) {
    return std::max(
        {area.right() - owner.right() - size.width(), owner.left() - area.left() - size.width(),
         area.bottom() - owner.bottom() - size.height(), owner.top() - area.top() - size.height()});
}

QString Where(const char* name, const QRect& frame, const QRect& owner) {
    const auto rect = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    return QStringLiteral("%1 at %2, the dialog at %3").arg(name, rect(frame), rect(owner));
}

}  // namespace

class DialogFitTest : public QObject, MainDialogFixture {
    Q_OBJECT

private:
    brindle::CreditsLibrary credits_;

    // `corner`: where in the screen's available area the dialog stands ("centre", where Qt
    // puts it, "topLeft" or "bottomRight").
    CBrindleDlg& Open(const std::string& ini, const QString& corner = "centre") {
        WriteIni(ini);
        MakeDialog([this](const std::u16string& text) { credits_.ShowAbout(text); });
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        // Room for a window frame of a few pixels.
        if (corner == "topLeft")
            dlg_->move(area.topLeft());
        else if (corner == "bottomRight")
            dlg_->move(area.bottomRight() - QPoint(dlg_->width() + 8, dlg_->height() + 32));
        dlg_->show();
        return *dlg_;
    }

private slots:
    void initTestCase() {
        // The setting of this process: a larger application font, as a user may choose.
        const double scale = qEnvironmentVariable("BRINDLE_TEST_FONT_SCALE").toDouble();
        if (scale > 0) {
            QFont font = QApplication::font();
            font.setPointSizeF(font.pointSizeF() * scale);
            QApplication::setFont(font);
        }
        qInfo("font %s, %.2f pt, %d px high; screen %dx%d at %.0f dpi, device pixel ratio %.2f",
              qPrintable(QApplication::font().family()), QApplication::font().pointSizeF(),
              QFontMetrics(QApplication::font()).height(),
              QGuiApplication::primaryScreen()->geometry().width(),
              QGuiApplication::primaryScreen()->geometry().height(),
              QGuiApplication::primaryScreen()->logicalDotsPerInch(),
              QGuiApplication::primaryScreen()->devicePixelRatio());
    }
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void mainDialogCaptionsAreWhole() {
        CBrindleDlg& dlg = Open("[config]\n");
        CheckCaptionsAreWhole(&dlg, {"select method", "replace with"});
        // The window grew with the units; the vertical unit is the font's.
        const DialogUnits base(QApplication::font());
        QVERIFY(dlg.units().xUnit64() >= base.xUnit64());
        QCOMPARE(dlg.units().yUnit64(), base.yUnit64());
        QCOMPARE(dlg.size(), dlg.units().size(250, 225));

        // The name pattern's "{...}" button is never what widens the units: its caption
        // fits at the font's own.
        auto* tokens = Ctl<QPushButton>(ids::kTokenButton);
        const int width = qRound(tokens->width() * 64.0 / dlg.units().xUnit64());
        QStyleOptionButton option;
        option.initFrom(tokens);
        option.rect = QRect(0, 0, base.x(158) - base.x(158 - width), tokens->height());
        const QRect room =
            tokens->style()->subElementRect(QStyle::SE_PushButtonContents, &option, tokens);
        QVERIFY(tokens->fontMetrics().horizontalAdvance(tokens->text()) <= room.width());
    }

    // The result line a batch leaves under the buttons shows whole too.
    void resultLineIsWhole() {
        folder_->temp().createFiles({"work/A.TXT", "work/b.txt"});
        CBrindleDlg& dlg = Open("[config]\n");
        Ctl<QRadioButton>(ids::kToLowerCase)->setChecked(true);
        dlg.OnDropFiles({folder_->folder() + u"work/A.TXT", folder_->folder() + u"work/b.txt",
                         folder_->folder() + u"work/GONE"});
        auto* line = Ctl<QPushButton>(ids::kResultLine);
        QVERIFY(line->isVisible());
        QCOMPARE(line->text(), QString("Renamed 1 of 3; 1 failed; 1 unchanged"));
        CheckCaptionsAreWhole(&dlg, {"select method", "replace with"});
    }

    void commandLineDialogCaptionsAreWhole() {
        CSimpleBrindle dlg(*services_, {u"a"});
        dlg.show();
        CheckCaptionsAreWhole(&dlg);
        QCOMPARE(dlg.size(), dlg.units().size(186, 95));
    }

    // With every control that can be shown at once: the replace edits, then the method
    // list in their place, and the Force 63 length with its spin box.
    void nothingOverlaps() {
        CBrindleDlg& dlg = Open("[config]\nForce 63 = 1\n");
        for (const bool onlyEnglish : {false, true}) {
            Ctl<QCheckBox>(ids::kOnlyEnglish)->setChecked(onlyEnglish);
            dlg.OnOnlyEnglishChanged();
            std::vector<QWidget*> shown;
            for (QWidget* w : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (!w->isVisibleTo(&dlg))
                    continue;
                QVERIFY2(dlg.rect().contains(w->geometry()), qPrintable(w->objectName()));
                // Group boxes hold the controls; a spin box sits on its buddy's edge.
                if (!qobject_cast<QGroupBox*>(w))
                    shown.push_back(w);
            }
            const auto buddies = [](const QString& a, const QString& b) {
                const QStringList pair{a, b};
                return (pair.contains("1034") && pair.contains("134")) ||
                       (pair.contains("1027") && pair.contains("1040"));
            };
            for (std::size_t i = 0; i < shown.size(); ++i)
                for (std::size_t j = i + 1; j < shown.size(); ++j) {
                    if (buddies(shown[i]->objectName(), shown[j]->objectName()))
                        continue;
                    QVERIFY2(!shown[i]->geometry().intersects(shown[j]->geometry()),
                             qPrintable(shown[i]->objectName() + " and " + shown[j]->objectName()));
                }
        }
    }

    // The columns were given in pixels for base units of 6 x 13: they keep their share of
    // the window, and their titles fit.
    void outputLogScalesWithTheUnits() {
        CBrindleDlg& dlg = Open("[config]\nShow Log Window = 1\n");
        COutputDlg* log = dlg.outputDlg();
        QVERIFY(log->isVisible());
        // The design's size, wider where the totals of a long batch need it; it opens at
        // that size or, beside the dialog on a smaller screen, less.
        QCOMPARE(log->openingSize().height(), dlg.units().y(106));
        QVERIFY(log->openingSize().width() >= dlg.units().x(354));
        QVERIFY(log->width() <= log->openingSize().width());
        QVERIFY(log->height() <= log->openingSize().height());
        QVERIFY(log->width() >= log->smallestSize().width());
        QVERIFY(log->height() >= log->smallestSize().height());
        brindle::BatchStats large;
        large.totalFiles = large.changedFiles = large.exceptions = 999999;
        large.maxInputLength = large.maxOutputLength = 999;
        log->SetStatus(ToQString(brindle::FormatStatus(large)));
        QVERIFY(log->statusLine()->contentsRect().width() >=
                log->statusLine()->fontMetrics().horizontalAdvance(log->statusText()));
        QHeaderView* header = log->list()->horizontalHeader();
        int total = 0;
        for (int c = 0; c < OutputLogModel::kColumns; ++c) {
            const int width = header->sectionSize(c);
            QCOMPARE(width, (OutputLogModel::kColumnWidths[c] * dlg.units().xUnit64() + 48) / 96);
            const QString title = QString::fromLatin1(OutputLogModel::kColumnTitles[c]);
            const int margin =
                header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            QVERIFY2(header->fontMetrics().horizontalAdvance(title) + 2 * margin <= width,
                     qPrintable(title));
            // The reason's column lies beyond the design's, scrolled to.
            if (c <= brindle::kColumnFolder)
                total += width;
        }
        // The design's columns: 527 of 531 pixels at the reference.
        QVERIFY(total <= log->width());
        QVERIFY(total * 100 >= dlg.units().x(354) * 97);
        QVERIFY(log->statusLine()->height() >= log->statusLine()->fontMetrics().height() + 2);
    }

    // The Output Log and the Preview open beside the main dialog where a side of it has
    // room for them, and else where they cover the fewest of its buttons; whole on the
    // screen, the Preview's buttons and the Output Log's totals too.
    void windowsOpenBesideTheDialog_data() {
        QTest::addColumn<QString>("corner");
        QTest::newRow("centred") << "centre";
        QTest::newRow("top left") << "topLeft";
        QTest::newRow("bottom right") << "bottomRight";
    }
    void windowsOpenBesideTheDialog() {
        QFETCH(QString, corner);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        CBrindleDlg& dlg = Open("[config]\nShow Log Window = 1\n", corner);
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::mouseClick(Ctl(ids::kPreview), Qt::LeftButton);
        CPreviewDlg* preview = dlg.previewDlg();
        QVERIFY(preview && preview->isVisible());
        COutputDlg* log = dlg.outputDlg();
        QVERIFY(log->isVisible());

        const QRect owner = dlg.frameGeometry();
        const std::vector<QRect> buttons = ButtonsOf(&dlg);
        QVERIFY(buttons.size() >= 4);
        struct Opened {
            const char* name;
            QWidget* window;
            QSize smallest;
        };
        for (const Opened& w : {Opened{"Output Log", log, log->smallestSize()},
                                Opened{"Preview", preview, preview->smallestSize()}}) {
            const QRect frame = w.window->frameGeometry();
            const QString where = Where(w.name, frame, owner);
            QVERIFY2(area.contains(frame), qPrintable(where));
            const QSize smallest = w.smallest.boundedTo(area.size());
            // A few pixels' gap between them is the placement's to choose.
            const int room = RoomBeside(owner, area, smallest);
            if (room >= 8)
                QVERIFY2(!frame.intersects(owner), qPrintable(where));
            else if (room < 0)
                QVERIFY2(Covered(frame, buttons) == FewestCovered(smallest, area, buttons),
                         qPrintable(where));
        }

        // Nothing of the Preview squeezed below its size, every button on the screen.
        QVERIFY(preview->width() >= preview->minimumSizeHint().width());
        QVERIFY(preview->height() >= preview->minimumSizeHint().height());
        int seen = 0;
        for (const QAbstractButton* b : preview->findChildren<QAbstractButton*>()) {
            if (!b->isVisible())
                continue;
            ++seen;
            QVERIFY2(area.contains(OnScreen(b)), qPrintable(b->text()));
            QVERIFY2(b->width() >= b->minimumSizeHint().width(), qPrintable(b->text()));
        }
        QVERIFY(seen >= 3);
        // The Output Log's totals: their line on the screen, high enough for its text and
        // as wide (its last pixel row lies below the window by design).
        QLabel* totals = log->statusLine();
        const QRect shown = OnScreen(totals) & log->geometry();
        QVERIFY(area.contains(shown));
        QVERIFY(shown.height() >= totals->fontMetrics().height());
        QVERIFY(totals->contentsRect().width() >=
                totals->fontMetrics().horizontalAdvance(log->statusText()));
    }

    // The about box's drawn layout grows with the font's height: every line and the link lie
    // inside the box.
    void aboutBoxHoldsItsLayout() {
        QVERIFY(credits_.IsLoaded());
        CBrindleDlg& dlg = Open("[config]\n");
        QApplication::setActiveWindow(&dlg);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (!w->isVisible() || QString(w->metaObject()->className()) != "CAboutDlg")
                    continue;
                seen = true;
                const qreal scale = w->property("layoutScale").toReal();
                QCOMPARE(scale, QFontMetrics(QApplication::font()).height() / 13.0);
                QVERIFY(w->width() >= qRound(330 * scale));
                QVERIFY(w->height() >= qRound(161 * scale));
                // The text right of the picture: dark pixels stay clear of the right edge.
                const QImage shown = w->grab().toImage();
                const int pictureRight = qRound(119 * scale);
                int inkRight = -1;
                for (int y = 0; y < shown.height(); ++y)
                    for (int x = pictureRight; x < shown.width(); ++x)
                        if (qGray(shown.pixel(x, y)) < 200)
                            inkRight = std::max(inkRight, x);
                QVERIFY(inkRight > pictureRight);
                QVERIFY(inkRight < shown.width() - 3);
                QTest::keyClick(w, Qt::Key_Escape);
            }
        });
        QTest::keyClick(Ctl(ids::kNamePattern), Qt::Key_F1);
        QVERIFY(seen);
    }

    // Wherever the main dialog stands, the windows it opens lie inside the available area
    // of its screen: the Output Log and the Preview (their placement has a test of its
    // own, windowsOpenBesideTheDialog), a help balloon, the about box.
    void windowsOpenInsideTheScreen_data() {
        QTest::addColumn<QString>("corner");
        QTest::newRow("centred") << "centre";
        QTest::newRow("top left") << "topLeft";
        QTest::newRow("bottom right") << "bottomRight";
    }
    void windowsOpenInsideTheScreen() {
        QFETCH(QString, corner);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        CBrindleDlg& dlg = Open("[config]\nShow Log Window = 1\n", corner);
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.screen(), QGuiApplication::primaryScreen());
        QVERIFY(area.contains(dlg.frameGeometry()));

        COutputDlg* log = dlg.outputDlg();
        QVERIFY(log->isVisible());
        QVERIFY(area.contains(log->frameGeometry()));

        // A balloon at a control near the dialog's lower right corner.
        QWidget* target = Ctl(ids::kScanSubfolders);
        QCursor::setPos(target->mapToGlobal(QPoint(3, 3)));
        QTest::mouseClick(target, Qt::RightButton, {}, QPoint(3, 3));
        QCOMPARE(Balloons().size(), std::size_t(1));
        QPointer<brindle::CBalloonWnd> balloon = Balloons().front();
        QVERIFY2(area.contains(balloon->frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                         .arg(balloon->x())
                                                                         .arg(balloon->y())
                                                                         .arg(balloon->width())
                                                                         .arg(balloon->height())));
        QTest::keyClick(Ctl(ids::kNamePattern), Qt::Key_Escape);
        QTRY_VERIFY(Balloons().empty());

        QApplication::setActiveWindow(&dlg);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->isVisible() && QString(w->metaObject()->className()) == "CAboutDlg") {
                    seen = true;
                    QVERIFY(area.contains(w->frameGeometry()));
                    QTest::keyClick(w, Qt::Key_Escape);
                }
            }
        });
        QTest::keyClick(Ctl(ids::kNamePattern), Qt::Key_F1);
        QVERIFY(seen);
        QVERIFY(dlg.isVisible());
    }
};

QTEST_MAIN(DialogFitTest)
#include "DialogFitTest.moc"
