// The dialogs at one font and screen setting: every caption of the main dialog and the
// command-line dialog shown whole inside the room its style leaves for text, nothing
// overlapping, the Output Log's columns and the about box's layout grown with the font, and
// the Output Log, a help balloon and the about box opening inside the screen that holds the
// main dialog. CTest runs this program once per setting, each in its own process: the
// default font, the font 1.25 times as large (BRINDLE_TEST_FONT_SCALE), QT_SCALE_FACTOR=2,
// fonts at 144 dpi, a 144 dpi screen, and a small 1280 x 900 screen.
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

#include <memory>
#include <vector>

#include "MainDialogFixture.h"
#include "app/CBrindleDlg.h"
#include "app/COutputDlg.h"
#include "app/CSimpleBrindle.h"
#include "app/ControlIds.h"
#include "app/CreditsLibrary.h"
#include "app/OutputLogModel.h"
#include "app/OutputRows.h"
#include "balloon/BalloonWnd.h"

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

QRect KeptOn(QRect window, const QRect& area) {
    window.translate(std::min(0, area.right() - window.right()),
                     std::min(0, area.bottom() - window.bottom()));
    window.translate(std::max(0, area.left() - window.left()),
                     std::max(0, area.top() - window.top()));
    return window;
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
        QCOMPARE(dlg.size(), dlg.units().size(250, 215));
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
        QCOMPARE(log->size(), dlg.units().size(354, 106));
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
        QVERIFY(total * 100 >= log->width() * 97);
        QVERIFY(log->statusLine()->height() >= log->statusLine()->fontMetrics().height() + 2);
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
    // of its screen: the Output Log at its layout place when that fits, moved onto the
    // screen when not; a help balloon; the about box.
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

        // Where the layout puts it, as far as the screen allows. A window system may still
        // shift the dialog by its frame after the Output Log was placed.
        COutputDlg* log = dlg.outputDlg();
        QVERIFY(log->isVisible());
        const QRect placed = log->frameGeometry();
        QVERIFY(area.contains(placed));
        const QRect wanted(dlg.geometry().topLeft() + dlg.units().point(160, 210), placed.size());
        const QPoint frame = dlg.geometry().topLeft() - dlg.frameGeometry().topLeft();
        QVERIFY((placed.topLeft() - KeptOn(wanted, area).topLeft()).manhattanLength() <=
                frame.manhattanLength());

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
