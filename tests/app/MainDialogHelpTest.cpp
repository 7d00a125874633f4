// The main dialog's help: context help on a right-click (its texts, the balloon it
// launches, the presses it swallows, Escape closing the balloon first) and F1, which calls
// the about box of the real credits library.
#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <vector>

#include "MainDialogFixture.h"
#include "app/CBrindleDlg.h"
#include "app/ContextHelp.h"
#include "app/ControlIds.h"
#include "app/CreditsLibrary.h"
#include "balloon/BalloonWnd.h"

using namespace apptest;

class MainDialogHelpTest : public QObject, MainDialogFixture {
    Q_OBJECT

private:
    int aboutCalls_ = 0;

    CBrindleDlg& Open() {
        return ShowDialog([this](const std::u16string&) { ++aboutCalls_; });
    }
    void RightClick(QWidget* w) { QTest::mouseClick(w, Qt::RightButton, {}, QPoint(3, 3)); }

private slots:
    void init() {
        SetUp();
        aboutCalls_ = 0;
    }
    void cleanup() { TearDown(); }

    // --- Context help -------------------------------------------------------------------

    void contextHelp_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("titleId");
        QTest::addColumn<int>("textId");
        QTest::newRow("edit 1027") << 1027 << 155 << 156;
        QTest::newRow("check box 1012") << 1012 << 155 << 157;
        QTest::newRow("edit 1004") << 1004 << 166 << 167;
        QTest::newRow("edit 1005") << 1005 << 166 << 167;
        QTest::newRow("radio 1001") << 1001 << 180 << 181;
        QTest::newRow("name pattern 1033") << 1033 << 151 << 152;
        QTest::newRow("disabled Undo 1011") << 1011 << 129 << 130;
        QTest::newRow("Open/Close Log 1025") << 1025 << 137 << 138;
        QTest::newRow("Preview Names 1041") << 1041 << 182 << 183;
        QTest::newRow("Regular Expression 1045") << 1045 << 184 << 185;
        QTest::newRow("tokens button 1046") << 1046 << 186 << 187;
    }
    void contextHelp() {
        QFETCH(int, id);
        QFETCH(int, titleId);
        QFETCH(int, textId);
        WriteIni("[config]\nForce 63 = 1\n");
        CBrindleDlg& dlg = Open();
        QSignalSpy spy(&dlg, &CBrindleDlg::contextHelpShown);
        QWidget* w = Ctl(id);
        QVERIFY(w->isVisible());
        // The control itself never sees the press.
        struct Watch : QObject {
            int presses = 0;
            bool eventFilter(QObject*, QEvent* e) override {
                presses +=
                    e->type() == QEvent::MouseButtonPress || e->type() == QEvent::ContextMenu;
                return false;
            }
        } watch;
        w->installEventFilter(&watch);
        RightClick(w);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].toInt(), id);
        QCOMPARE(spy[0][1].toString(), LoadHelpString(titleId));
        QCOMPARE(spy[0][2].toString(), LoadHelpString(textId));
        QCOMPARE(watch.presses, 0);
    }

    // Escape while a help balloon is up closes the balloon, and only the balloon; the next
    // Escape closes the dialog.
    void escapeClosesTheBalloonFirst() {
        CBrindleDlg& dlg = Open();
        QApplication::setActiveWindow(&dlg);
        QWidget* pattern = Ctl(ids::kNamePattern);
        pattern->setFocus();
        QCursor::setPos(pattern->mapToGlobal(QPoint(3, 3)));
        RightClick(pattern);
        QCOMPARE(Balloons().size(), std::size_t(1));
        QPointer<brindle::CBalloonWnd> balloon = Balloons().front();
        QTest::keyClick(pattern, Qt::Key_Escape);
        QTRY_VERIFY(balloon.isNull() || !balloon->HasWindow());
        QVERIFY(Balloons().empty());
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), 0);
        QTest::keyClick(pattern, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }

    // The balloon a right-click launches: at the cursor, with the information icon, and
    // closed by a mouse move only after the short time-out.
    void contextHelpLaunchesTheBalloon() {
        using namespace brindle;
        CBrindleDlg& dlg = Open();
        QWidget* pattern = Ctl(ids::kNamePattern);
        const QPoint cursor = pattern->mapToGlobal(QPoint(3, 3));
        QCursor::setPos(cursor);
        QCoreApplication::processEvents();
        QVERIFY(Balloons().empty());
        RightClick(pattern);
        const std::vector<CBalloonWnd*> launched = Balloons();
        QCOMPARE(launched.size(), std::size_t(1));
        QPointer<CBalloonWnd> balloon = launched.front();
        QVERIFY(balloon->isVisible());
        QCOMPARE(balloon->windowTitle(), LoadHelpString(151));
        QCOMPARE(balloon->Options() & ~BH_NO_FADE,
                 BH_CLOSE_ON_MOUSE_MOVE | BH_DELAY_CLOSE | BH_DELETE_ON_DESTROY);
        QCOMPARE(balloon->Timeout(), 100u);
        const BalloonPoint tip = balloon->Placement().tail.tip;
        QCOMPARE(balloon->pos() + QPoint(tip.x, tip.y), cursor);

        // The icon: the balloon looks like one launched with the information icon, and
        // unlike one with another icon.
        const QImage shown = balloon->grab().toImage();
        auto lookOf = [&](QStyle::StandardPixmap icon) {
            const std::vector<CBalloonWnd*> before = Balloons();
            CBalloonWnd::Launch(LoadHelpString(151), LoadHelpString(152), cursor, icon, 0, nullptr,
                                QString(), 0, services_.get());
            QImage look;
            for (CBalloonWnd* other : Balloons())
                if (std::find(before.begin(), before.end(), other) == before.end()) {
                    look = other->grab().toImage();
                    other->RequestClose();
                }
            return look;
        };
        const QImage information = lookOf(QStyle::SP_MessageBoxInformation);
        const QImage warning = lookOf(QStyle::SP_MessageBoxWarning);
        QVERIFY(!information.isNull());
        QVERIFY(information != warning);
        QCOMPARE(shown, information);

        // Within the move tolerance it stays; beyond it, the first move only starts the
        // time-out, at whose end it closes and deletes itself.
        QCursor::setPos(cursor + QPoint(2, 2));
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        QVERIFY(balloon);
        QVERIFY(balloon->Options() & BH_CLOSE_ON_MOUSE_MOVE);
        QCursor::setPos(cursor + QPoint(40, -30));
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        QVERIFY(balloon);
        QVERIFY(balloon->isVisible());
        QCOMPARE(balloon->Options() & (BH_CLOSE_ON_ANY_MOUSE | BH_DELAY_CLOSE), 0u);
        QVERIFY(QTest::qWaitFor([&] { return balloon.isNull(); }));
        QVERIFY(Balloons().empty());
        QVERIFY(dlg.isVisible());
    }

    void contextHelpTexts() {
        QCOMPARE(LoadHelpString(155), QString("Force 63"));
        QCOMPARE(LoadHelpString(156),
                 QString("Specify the number of symbols\nfor the \"Force 63\" check box"));
        QCOMPARE(LoadHelpString(166), QString("Replace what\\with"));
        QCOMPARE(LoadHelpString(157), QString("Cut symbols from the target file(s)\nthat exeeds "
                                              "cutted value.\nMin allowed 4 symbols (eXtension)"));
        QVERIFY(LoadHelpString(152).contains("\n\\N - Append Track Number\n"));
        QVERIFY(LoadHelpString(161).contains("\n\tExample: ??? ???? (A)[!].zip -> Moi Fail"));
        QCOMPARE(ContextHelpFor(1019)->title, QString("Only English"));
        QVERIFY(!ContextHelpFor(1018));
        QVERIFY(!ContextHelpFor(1040));
        QVERIFY(!ContextHelpFor(134));
    }

    void contextHelpSwallowsOtherPresses() {
        CBrindleDlg& dlg = Open();
        QSignalSpy spy(&dlg, &CBrindleDlg::contextHelpShown);
        QLabel* startLabel = nullptr;
        for (QLabel* l : dlg.findChildren<QLabel*>())
            if (l->text() == "Starting index:")
                startLabel = l;
        QVERIFY(startLabel);
        QGroupBox* group = dlg.findChildren<QGroupBox*>().value(0);
        QVERIFY(group);
        for (QWidget* w : {static_cast<QWidget*>(startLabel), static_cast<QWidget*>(group),
                           Ctl(ids::kStartIndexSpin), static_cast<QWidget*>(&dlg)}) {
            RightClick(w);
        }
        QCOMPARE(spy.count(), 0);
        // A swallowed right press on a spin box does not step it.
        QCOMPARE(Edit(ids::kStartIndex)->text(), QString("0"));
        // The left button still works as always.
        QTest::mouseClick(Ctl(ids::kStartIndexSpin), Qt::LeftButton, {}, QPoint(2, 1));
        QCOMPARE(Edit(ids::kStartIndex)->text(), QString("1"));
    }

    // --- F1 -----------------------------------------------------------------------------

    void f1CallsTheAboutBox() {
        CBrindleDlg& dlg = Open();
        QTest::keyClick(Edit(ids::kNamePattern), Qt::Key_F1);
        QCOMPARE(aboutCalls_, 1);
        QTest::keyClick(Check(ids::kOnlyLog), Qt::Key_F1);
        QCOMPARE(aboutCalls_, 2);
        QVERIFY(dlg.isVisible());
    }

    void f1ReachesTheRealLibrary() {
        const brindle::CreditsLibrary credits;
        QVERIFY(credits.IsLoaded());
        QString shownClass;
        std::u16string passed;
        ShowDialog([&](const std::u16string& text) {
            passed = text;
            // Once the about box runs, look at it and close it as a person would.
            QTimer::singleShot(0, [&] {
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    if (w->isVisible() && QString(w->metaObject()->className()) == "CAboutDlg") {
                        shownClass = w->metaObject()->className();
                        QTest::keyClick(w, Qt::Key_Escape);
                    }
                }
            });
            credits.ShowAbout(text);
        });
        Edit(ids::kNamePattern)->setText("kept");
        QTest::keyClick(Edit(ids::kNamePattern), Qt::Key_F1);
        QCOMPARE(shownClass, QString("CAboutDlg"));
        QCOMPARE(passed, brindle::AboutText());
        QVERIFY(dlg_->isVisible());
        QCOMPARE(Edit(ids::kNamePattern)->text(), QString("kept"));
    }
};

QTEST_MAIN(MainDialogHelpTest)
#include "MainDialogHelpTest.moc"
