// The main dialog: its controls, the opening with and without a configuration file and a
// log, the data exchange and its integer rule, the check-box handlers, Exit, Enter, Escape
// and the close box.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include <algorithm>

#include "MainDialogFixture.h"
#include "app/CBrindleDlg.h"
#include "app/COutputDlg.h"
#include "app/CUpDownCtrl.h"
#include "app/ControlIds.h"
#include "app/DialogUnits.h"

using namespace apptest;

class MainDialogTest : public QObject, MainDialogFixture {
    Q_OBJECT

private:
    CBrindleDlg& Open() { return ShowDialog(); }

private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    // --- The controls -------------------------------------------------------------------

    void controlTable_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("dlu");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("1001 No Conversion")
            << 1001 << "No Conversion" << QRect(10, 16, 59, 8) << true << true;
        QTest::newRow("1002 To Lower Case")
            << 1002 << "To &Lower Case" << QRect(71, 16, 59, 8) << true << true;
        QTest::newRow("1020 Lower Letter")
            << 1020 << "Lo&wer Letter" << QRect(133, 16, 52, 8) << true << true;
        QTest::newRow("1010 Reverse")
            << 1010 << "Re&verse" << QRect(190, 16, 50, 8) << true << true;
        QTest::newRow("1021 Reverse Letter")
            << 1021 << "&Reverse Letter" << QRect(10, 26, 60, 8) << true << true;
        QTest::newRow("1003 To Upper Case")
            << 1003 << "To &Upper Case" << QRect(71, 26, 59, 8) << true << true;
        QTest::newRow("1017 Upper Letter")
            << 1017 << "U&pper Letter" << QRect(133, 26, 52, 8) << true << true;
        QTest::newRow("1004 replace what") << 1004 << "" << QRect(62, 49, 38, 12) << true << true;
        QTest::newRow("1005 replace with") << 1005 << "" << QRect(62, 64, 38, 12) << true << true;
        QTest::newRow("1018 method label")
            << 1018 << "replace with" << QRect(11, 56, 50, 9) << true << true;
        QTest::newRow("1019 method list") << 1019 << "" << QRect(11, 66, 89, 12) << false << true;
        QTest::newRow("1045 Regular Expression")
            << 1045 << "Re&gular Expression" << QRect(11, 79, 89, 9) << true << true;
        QTest::newRow("1006 Only English")
            << 1006 << "Only &English" << QRect(105, 49, 50, 9) << true << false;
        QTest::newRow("1016 # of Symbols")
            << 1016 << "# of &Symbols" << QRect(182, 49, 56, 9) << true << true;
        QTest::newRow("1023 Dublicate Extension")
            << 1023 << "Du&blicate Extension" << QRect(105, 58, 74, 9) << true << true;
        QTest::newRow("1012 Foce 63")
            << 1012 << "Foce &63" << QRect(182, 58, 37, 9) << true << true;
        QTest::newRow("1013 w/o File Extension")
            << 1013 << "w/o File Extension" << QRect(105, 67, 69, 9) << true << true;
        QTest::newRow("1027 Force 63 length")
            << 1027 << "64" << QRect(182, 67, 44, 12) << false << true;
        QTest::newRow("1040 its spin box") << 1040 << "" << QRect(226, 67, 9, 12) << false << true;
        QTest::newRow("1033 name pattern") << 1033 << "" << QRect(60, 102, 79, 12) << true << true;
        QTest::newRow("1046 its tokens")
            << 1046 << "{...}" << QRect(140, 102, 18, 12) << true << true;
        QTest::newRow("1034 starting index")
            << 1034 << "0" << QRect(60, 115, 43, 12) << true << true;
        QTest::newRow("134 its spin box") << 134 << "" << QRect(102, 115, 9, 12) << true << true;
        QTest::newRow("1022 Reset Counters")
            << 1022 << "Reset Cou&nters" << QRect(11, 129, 62, 9) << true << true;
        QTest::newRow("1035 file types") << 1035 << "" << QRect(211, 102, 24, 12) << true << true;
        QTest::newRow("1026 Rename Dir")
            << 1026 << "Rename Dir" << QRect(11, 152, 48, 9) << true << true;
        QTest::newRow("1030 Write Log File")
            << 1030 << "Wr&ite Log File" << QRect(62, 152, 55, 9) << true << true;
        QTest::newRow("1024 Delete Contents")
            << 1024 << "Dele&te Contents" << QRect(126, 152, 67, 9) << true << true;
        QTest::newRow("1014 Only Log")
            << 1014 << "&Only Log" << QRect(11, 162, 39, 9) << true << true;
        QTest::newRow("1025 Open/Close Log")
            << 1025 << "Open/&Close Log" << QRect(62, 162, 63, 9) << true << true;
        QTest::newRow("1015 Read Only")
            << 1015 << "Read Only" << QRect(11, 172, 45, 9) << true << true;
        QTest::newRow("1029 Scan Subfolders")
            << 1029 << "Scan Sub&folders" << QRect(62, 172, 64, 9) << true << true;
        QTest::newRow("1008 Choose Folder")
            << 1008 << "Choose &Folder" << QRect(15, 191, 59, 14) << true << true;
        QTest::newRow("1009 Exit") << 1009 << "E&xit" << QRect(96, 191, 59, 14) << true << true;
        QTest::newRow("1011 Undo") << 1011 << "Undo" << QRect(176, 191, 59, 14) << true << false;
        QTest::newRow("1041 Preview Names")
            << 1041 << "Preview Na&mes" << QRect(176, 164, 59, 14) << true << true;
        QTest::newRow("1043 result line") << 1043 << "" << QRect(7, 208, 170, 11) << false << true;
        QTest::newRow("1044 history link")
            << 1044 << "Undo &History..." << QRect(180, 208, 63, 11) << false << true;
    }
    // Without a configuration file and a log.
    void controlTable() {
        QFETCH(int, id);
        QFETCH(QString, caption);
        QFETCH(QRect, dlu);
        QFETCH(bool, visible);
        QFETCH(bool, enabled);
        Open();
        QWidget* w = Ctl(id);
        QVERIFY(w);
        // The template's rectangle in the dialog's units: the font's base units, the
        // horizontal one widened so that every caption fits.
        const DialogUnits& units = dlg_->units();
        const DialogUnits base(QApplication::font());
        QVERIFY(units.xUnit64() >= base.xUnit64());
        QCOMPARE(units.yUnit64(), base.yUnit64());
        QCOMPARE(w->geometry(), units.rect(dlu.x(), dlu.y(), dlu.width(), dlu.height()));
        QCOMPARE(w->isVisibleTo(dlg_.get()), visible);
        QCOMPARE(w->isEnabled(), enabled);
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            QCOMPARE(b->text(), caption);
        if (auto* e = qobject_cast<QLineEdit*>(w))
            QCOMPARE(e->text(), caption);
        if (auto* l = qobject_cast<QLabel*>(w))
            QCOMPARE(l->text(), caption);
        if (auto* c = qobject_cast<QCheckBox*>(w))
            QVERIFY(!c->isChecked());
    }

    // The mnemonics beyond the design's each lead to one control: "Preview Names" and
    // "Regular Expression".
    void addedMnemonicsAreTheirOwn() {
        CBrindleDlg& dlg = Open();
        QMap<QChar, QStringList> owners;
        for (QAbstractButton* button : dlg.findChildren<QAbstractButton*>()) {
            const QString text = button->text();
            const qsizetype at = text.indexOf(QLatin1Char('&'));
            if (at >= 0 && at + 1 < text.size())
                owners[text[at + 1].toLower()] << text;
        }
        QCOMPARE(owners.value(QLatin1Char('m')), QStringList{"Preview Na&mes"});
        QCOMPARE(Ctl<QPushButton>(ids::kPreview)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_M));
        QCOMPARE(owners.value(QLatin1Char('g')), QStringList{"Re&gular Expression"});
        QCOMPARE(Check(ids::kRegularExpression)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_G));
    }

    void windowAndOpeningWithoutFiles() {
        CBrindleDlg& dlg = Open();
        QCOMPARE(dlg.windowTitle(), QString("Brindle"));
        // The design's 250 x 202, grown by the row of "Regular Expression" and the result
        // line below the buttons.
        QCOMPARE(dlg.size(), dlg.units().size(250, 225));
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        const Qt::WindowFlags flags = dlg.windowFlags();
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Window);
        QVERIFY(!dlg.parentWidget());
        QVERIFY(!dlg.windowIcon().isNull());
        for (const int size : {16, 32, 48})
            QCOMPARE(dlg.windowIcon().pixmap(size, size).size(), QSize(size, size));
        QVERIFY(Ctl<QAbstractButton>(ids::kNoConversion)->isChecked());
        QVERIFY(!dlg.outputDlg()->isVisible());
        QCOMPARE(Ctl<QComboBox>(ids::kMethodList)->count(), 3);
        QCOMPARE(Ctl<QComboBox>(ids::kMethodList)->itemText(0), QString("English"));
        QCOMPARE(Ctl<QComboBox>(ids::kMethodList)->itemText(2), QString("Custom"));
        QCOMPARE(Ctl<QComboBox>(ids::kMethodList)->currentIndex(), -1);
        QCOMPARE(dlg.settings().force63Length, 64);
        QCOMPARE(dlg.settings().filterMethod, std::u16string());
        for (QPushButton* b : dlg.findChildren<QPushButton*>())
            QVERIFY(!b->isDefault());
    }

    void openingWithConfigurationAndLog() {
        WriteIni(
            "[config]\nOnly English = 1\nShow Log Window = 1\nForce 63 = 1\nRead Only = 1\n"
            "Rename Dir = 1\nw/o File Extension = 0\n");
        folder_->temp().createFile("Brindle.log", "Version=3.7\r\n");
        CBrindleDlg& dlg = Open();
        QVERIFY(Check(ids::kOnlyEnglish)->isEnabled());
        QVERIFY(Check(ids::kOnlyEnglish)->isChecked());
        QCOMPARE(Ctl<QLabel>(ids::kMethodLabel)->text(), QString("select method"));
        QVERIFY(Ctl(ids::kMethodList)->isVisible());
        QCOMPARE(Ctl<QComboBox>(ids::kMethodList)->currentIndex(), -1);
        QVERIFY(!Ctl(ids::kReplaceWhat)->isVisible());
        QVERIFY(!Ctl(ids::kReplaceWith)->isVisible());
        QVERIFY(!Ctl(ids::kRegularExpression)->isVisible());
        // "w/o File Extension" follows its own key.
        QVERIFY(!Check(ids::kWithoutExtension)->isChecked());
        QVERIFY(dlg.outputDlg()->isVisible());
        QVERIFY(Check(ids::kShowLogWindow)->isChecked());
        QVERIFY(Edit(ids::kForce63Length)->isVisible());
        QVERIFY(Ctl(ids::kForce63Spin)->isVisible());
        QCOMPARE(Edit(ids::kForce63Length)->text(), QString("64"));
        QVERIFY(Check(ids::kReadOnly)->isChecked());
        QVERIFY(Check(ids::kRenameDir)->isChecked());
        QVERIFY(!Check(ids::kWriteLogFile)->isChecked());
        QVERIFY(Ctl(ids::kUndo)->isEnabled());
        // Where it opens is the placement's (DialogFitTest): on the screen.
        QVERIFY(dlg.screen()->availableGeometry().contains(dlg.outputDlg()->frameGeometry()));
    }

    void tabOrderSkipsHiddenAndDisabled() {
        CBrindleDlg& dlg = Open();
        QApplication::setActiveWindow(&dlg);
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        Edit(ids::kReplaceWhat)->setFocus();
        QStringList visited;
        for (int i = 0; i < 24; ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(
            visited.join(' '),
            QString("1004 1005 1045 1016 1023 1012 1013 1033 1046 1034 1022 1026 1030 1024 1014 "
                    "1025 1015 1029 1008 1009 1041 1035 1004 1005"));
    }

    // --- Up-down boxes ------------------------------------------------------------------

    void upDownBoxes_data() {
        QTest::addColumn<int>("edit");
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("delta");
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<QString>("result");
        QTest::newRow("index up by arrow") << 1034 << "0" << 1 << false << "1";
        QTest::newRow("index down stays at 0") << 1034 << "0" << -1 << false << "0";
        QTest::newRow("index up key") << 1034 << "41" << 1 << true << "42";
        QTest::newRow("index up stays at 1000") << 1034 << "1000" << 1 << true << "1000";
        QTest::newRow("typed beyond range comes back in")
            << 1034 << "5000" << -1 << false << "1000";
        QTest::newRow("length down stays at 64") << 1027 << "64" << -1 << false << "64";
        QTest::newRow("length up from typed 20") << 1027 << "20" << 1 << true << "64";
        QTest::newRow("length down key") << 1027 << "100" << -1 << true << "99";
    }
    void upDownBoxes() {
        QFETCH(int, edit);
        QFETCH(QString, start);
        QFETCH(int, delta);
        QFETCH(bool, byKey);
        QFETCH(QString, result);
        WriteIni("[config]\nForce 63 = 1\n");
        Open();
        QLineEdit* e = Edit(edit);
        auto* spin =
            Ctl<CUpDownCtrl>(edit == ids::kStartIndex ? ids::kStartIndexSpin : ids::kForce63Spin);
        QCOMPARE(spin->buddy(), e);
        e->setText(start);
        if (byKey) {
            QTest::keyClick(e, delta > 0 ? Qt::Key_Up : Qt::Key_Down);
        } else {
            const QPoint at(spin->width() / 2, delta > 0 ? 1 : spin->height() - 2);
            QTest::mouseClick(spin, Qt::LeftButton, {}, at);
        }
        QCOMPARE(e->text(), result);
    }

    void integerEditsTakeDigitsOnlyButAnyTypedValue() {
        WriteIni("[config]\nForce 63 = 1\n");
        CBrindleDlg& dlg = Open();
        QLineEdit* length = Edit(ids::kForce63Length);
        length->clear();
        QTest::keyClicks(length, "2x-0");
        QCOMPARE(length->text(), QString("20"));
        QVERIFY(dlg.UpdateData(true));
        QCOMPARE(dlg.settings().force63Length, 20);
        Edit(ids::kStartIndex)->setText("5000");
        QVERIFY(dlg.UpdateData(true));
        QCOMPARE(dlg.settings().startIndex, 5000);
        QVERIFY(services_->boxes.empty());
    }

    // --- Data exchange ------------------------------------------------------------------

    void integerRule_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "12" << true << 12;
        QTest::newRow("blanks around") << " \t12 \t" << true << 12;
        QTest::newRow("plus sign") << "+7" << true << 7;
        QTest::newRow("minus sign") << "-3" << true << -3;
        QTest::newRow("lowest") << "-2147483648" << true << -2147483647 - 1;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("blanks only") << "  " << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("inner blank") << "1 2" << false << 0;
        QTest::newRow("letters") << "12a" << false << 0;
        QTest::newRow("line feed is not a blank") << "12\n" << false << 0;
        QTest::newRow("beyond 32 bits") << "2147483648" << false << 0;
    }
    void integerRule() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        CBrindleDlg& dlg = Open();
        QApplication::setActiveWindow(&dlg);
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        Edit(ids::kStartIndex)->setText(text);
        // Fields before the edit are saved, those after it keep their values.
        Check(ids::kWriteLogFile)->setChecked(true);
        Edit(ids::kNamePattern)->setText("/O-/N");
        QCOMPARE(dlg.UpdateData(true), valid);
        QVERIFY(dlg.settings().writeLogFile);
        if (valid) {
            QCOMPARE(dlg.settings().startIndex, value);
            QCOMPARE(dlg.settings().namePattern, std::u16string(u"/O-/N"));
            QVERIFY(services_->boxes.empty());
            return;
        }
        QCOMPARE(dlg.settings().startIndex, 0);
        QCOMPARE(dlg.settings().namePattern, std::u16string());
        QCOMPARE(services_->boxes.size(), std::size_t(1));
        QCOMPARE(services_->boxes[0].text, QString("Please enter an integer."));
        QCOMPARE(services_->boxes[0].caption, QString("Brindle"));
        QCOMPARE(services_->boxes[0].icon, BoxIcon::Warning);
        QCOMPARE(services_->boxes[0].buttons, MessageButtons::Ok);
        QCOMPARE(QApplication::focusWidget(), Edit(ids::kStartIndex));
        QCOMPARE(Edit(ids::kStartIndex)->selectedText(), text);
    }

    void invalidLengthStopsBeforeTheIndex() {
        WriteIni("[config]\nForce 63 = 1\n");
        CBrindleDlg& dlg = Open();
        Edit(ids::kForce63Length)->clear();
        Edit(ids::kStartIndex)->setText("9");
        QVERIFY(!dlg.UpdateData(true));
        QCOMPARE(dlg.settings().startIndex, 0);
        QCOMPARE(services_->boxes.size(), std::size_t(1));
    }

    void loadWritesEveryField() {
        CBrindleDlg& dlg = Open();
        brindle::RenameSettings& o = dlg.session().settings();
        o.conversionMode = 4;
        o.startIndex = -15;
        o.replaceWhat = u"ab";
        o.fileTypes = u".exe";
        o.deleteContents = true;
        dlg.UpdateData(false);
        QVERIFY(Ctl<QAbstractButton>(ids::kReverseLetter)->isChecked());
        QCOMPARE(Edit(ids::kStartIndex)->text(), QString("-15"));
        QCOMPARE(Edit(ids::kReplaceWhat)->text(), QString("ab"));
        QCOMPARE(Edit(ids::kFileTypes)->text(), QString(".exe"));
        QVERIFY(Check(ids::kDeleteContents)->isChecked());
        QTest::mouseClick(Ctl(ids::kUpperLetter), Qt::LeftButton);
        QVERIFY(dlg.UpdateData(true));
        QCOMPARE(dlg.settings().conversionMode, 6);
    }

    // Every option may stand in "[config]": each shows in its own control.
    void openingWithEveryKindOfOption() {
        WriteIni(
            "[config]\nCase = Upper\nForce Length = 20\nStarting Index = -3\n"
            "Name Pattern = \"/O\\/\\/x\"\nReplace What = a\nMethod = custom\n"
            "Only English = 1\nRegular Expression = 1\n");
        CBrindleDlg& dlg = Open();
        QVERIFY(Ctl<QRadioButton>(ids::kToUpperCase)->isChecked());
        QVERIFY(Check(ids::kRegularExpression)->isChecked());
        QVERIFY(dlg.settings().regularExpression);
        QCOMPARE(Edit(ids::kForce63Length)->text(), QString("20"));
        QCOMPARE(Edit(ids::kStartIndex)->text(), QString("-3"));
        QCOMPARE(Edit(ids::kNamePattern)->text(), QString("/O//x"));
        QCOMPARE(Edit(ids::kReplaceWhat)->text(), QString("a"));
        QCOMPARE(Ctl<QComboBox>(ids::kMethodList)->currentText(), QString("Custom"));
        // Read, not switched by the user: "w/o File Extension" keeps its own key.
        QVERIFY(!Check(ids::kWithoutExtension)->isChecked());
        QCOMPARE(dlg.settings().filterMethod, std::u16string(u"Custom"));
        QCOMPARE(dlg.settings().conversionMode, brindle::kToUpperCase);
    }

    // --- Check-box handlers -------------------------------------------------------------

    void onlyEnglishTicksAndUnticksWithoutExtension() {
        WriteIni("[config]\n");
        CBrindleDlg& dlg = Open();
        QCheckBox* onlyEnglish = Check(ids::kOnlyEnglish);
        QVERIFY(onlyEnglish->isEnabled());
        QTest::mouseClick(onlyEnglish, Qt::LeftButton);
        QVERIFY(Check(ids::kWithoutExtension)->isChecked());
        QCOMPARE(Ctl<QLabel>(ids::kMethodLabel)->text(), QString("select method"));
        QVERIFY(Ctl(ids::kMethodList)->isVisible());
        QVERIFY(!Ctl(ids::kReplaceWhat)->isVisible());
        QVERIFY(!Ctl(ids::kReplaceWith)->isVisible());
        QVERIFY(!Ctl(ids::kRegularExpression)->isVisible());
        QTest::mouseClick(onlyEnglish, Qt::LeftButton);
        QVERIFY(!Check(ids::kWithoutExtension)->isChecked());
        QCOMPARE(Ctl<QLabel>(ids::kMethodLabel)->text(), QString("replace with"));
        QVERIFY(!Ctl(ids::kMethodList)->isVisible());
        QVERIFY(Ctl(ids::kReplaceWhat)->isVisible());
        QVERIFY(Ctl(ids::kRegularExpression)->isVisible());
        // Ticked by hand first, still unticked by unticking "Only English".
        QTest::mouseClick(onlyEnglish, Qt::LeftButton);
        QTest::mouseClick(Check(ids::kWithoutExtension), Qt::LeftButton);
        QTest::mouseClick(Check(ids::kWithoutExtension), Qt::LeftButton);
        QTest::mouseClick(onlyEnglish, Qt::LeftButton);
        QVERIFY(!Check(ids::kWithoutExtension)->isChecked());
        QVERIFY(!dlg.settings().withoutExtension);
    }

    void force63ShowsAndHidesItsLength() {
        CBrindleDlg& dlg = Open();
        QTest::mouseClick(Check(ids::kForce63), Qt::LeftButton);
        QVERIFY(Edit(ids::kForce63Length)->isVisible());
        QVERIFY(Ctl(ids::kForce63Spin)->isVisible());
        QCOMPARE(Edit(ids::kForce63Length)->text(), QString("64"));
        QVERIFY(dlg.settings().force63);
        QTest::mouseClick(Check(ids::kForce63), Qt::LeftButton);
        QVERIFY(!Edit(ids::kForce63Length)->isVisible());
        QVERIFY(!Ctl(ids::kForce63Spin)->isVisible());
    }

    void showLogGoesOnDespiteAnInvalidIndex() {
        CBrindleDlg& dlg = Open();
        Edit(ids::kStartIndex)->setText("7");
        QVERIFY(dlg.UpdateData(true));
        Edit(ids::kStartIndex)->clear();
        QTest::mouseClick(Check(ids::kShowLogWindow), Qt::LeftButton);
        QCOMPARE(services_->boxes.size(), std::size_t(1));
        QCOMPARE(services_->boxes[0].text, QString("Please enter an integer."));
        QVERIFY(dlg.outputDlg()->isVisible());
        QCOMPARE(Edit(ids::kStartIndex)->text(), QString("7"));
        QTest::mouseClick(Check(ids::kShowLogWindow), Qt::LeftButton);
        QVERIFY(!dlg.outputDlg()->isVisible());
    }

    // --- Closing ------------------------------------------------------------------------

    void closing_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("validIndex");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("result");
        // The check boxes come first in the exchange: a save that stops at the index has
        // taken them already.
        QTest::addColumn<bool>("saved");
        QTest::newRow("Exit") << "exit" << true << true << int(QDialog::Accepted) << true;
        QTest::newRow("Exit, invalid index") << "exit" << false << false << -1 << true;
        QTest::newRow("Enter in an edit")
            << "enter" << true << true << int(QDialog::Accepted) << true;
        QTest::newRow("Enter on a check box")
            << "enter-check" << true << true << int(QDialog::Accepted) << true;
        QTest::newRow("Enter, invalid index") << "enter" << false << false << -1 << true;
        QTest::newRow("Escape") << "escape" << true << true << int(QDialog::Rejected) << false;
        QTest::newRow("Escape, invalid index")
            << "escape" << false << true << int(QDialog::Rejected) << false;
        QTest::newRow("close box") << "close" << false << true << int(QDialog::Rejected) << false;
    }
    void closing() {
        QFETCH(QString, how);
        QFETCH(bool, validIndex);
        QFETCH(bool, closes);
        QFETCH(int, result);
        QFETCH(bool, saved);
        CBrindleDlg& dlg = Open();
        dlg.setResult(-1);
        Check(ids::kOnlyLog)->setChecked(true);
        if (!validIndex)
            Edit(ids::kStartIndex)->clear();
        if (how == "exit")
            QTest::mouseClick(Ctl(ids::kExit), Qt::LeftButton);
        if (how == "enter")
            QTest::keyClick(Edit(ids::kNamePattern), Qt::Key_Return);
        if (how == "enter-check")
            QTest::keyClick(Check(ids::kOnlyLog), Qt::Key_Enter);
        if (how == "escape")
            QTest::keyClick(Edit(ids::kNamePattern), Qt::Key_Escape);
        if (how == "close")
            QVERIFY(dlg.close());
        QCOMPARE(dlg.isVisible(), !closes);
        QCOMPARE(dlg.result(), result);
        QCOMPARE(dlg.settings().onlyLog, saved);
        QCOMPARE(services_->boxes.size(),
                 std::size_t(!validIndex && (how == "exit" || how == "enter")));
    }
};

QTEST_MAIN(MainDialogTest)
#include "MainDialogTest.moc"
