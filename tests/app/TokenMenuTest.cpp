// The "{...}" button of the name pattern: where it sits and its place in the tab order, the
// menu of tokens it opens, and a chosen token put into the pattern at the cursor the box
// had when the button took the focus, with the focus given back to the box.
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "MainDialogFixture.h"
#include "app/CBrindleDlg.h"
#include "app/ControlIds.h"
#include "app/TokenMenu.h"
#include "engine/PatternCreator.h"

using namespace apptest;

class TokenMenuTest : public QObject, MainDialogFixture {
    Q_OBJECT

private:
    CBrindleDlg& Open() {
        CBrindleDlg& dlg = ShowDialog();
        QApplication::setActiveWindow(&dlg);
        return dlg;
    }
    // The submenu of the group with this title (mnemonic left out), or null.
    static QMenu* Group(const QMenu* menu, const QString& title) {
        for (QAction* action : menu->actions())
            if (action->menu() && action->text().remove('&') == title)
                return action->menu();
        return nullptr;
    }

private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    // The button takes the right end of the design's box, on its row; the box keeps its
    // left edge.
    void theButtonSitsAtThePatternsRightEnd() {
        CBrindleDlg& dlg = Open();
        const QRect design = dlg.units().rect(60, 92, 98, 12);
        const QRect box = Edit(ids::kNamePattern)->geometry();
        const QRect button = Ctl(ids::kTokenButton)->geometry();
        QVERIFY(Ctl(ids::kTokenButton)->isVisible());
        QCOMPARE(box.left(), design.left());
        QCOMPARE(button.right(), design.right());
        QVERIFY(box.right() < button.left());
        QCOMPARE(button.top(), box.top());
        QCOMPARE(button.height(), box.height());
        QCOMPARE(Ctl<QPushButton>(ids::kTokenButton)->text(), QString("{...}"));
    }

    // Every token the pattern takes from a file or a date is in the menu, under its group,
    // with a few words beside it.
    void theMenuListsTheTokens_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QStringList>("tokens");
        QTest::newRow("dates") << "Dates"
                               << QStringList{"{taken}",          "{modified}",
                                              "{created}",        "{now}",
                                              "{taken|modified}", "{taken:%Y%m%d_%H%M%S}",
                                              "{taken:%Y-%m-%d}"};
        QTest::newRow("camera") << "Camera"
                                << QStringList{"{exif.make}",  "{exif.model}",   "{exif.lens}",
                                               "{exif.iso}",   "{exif.fnumber}", "{exif.exposure}",
                                               "{exif.focal}", "{exif.width}",   "{exif.height}"};
        QTest::newRow("numbers") << "Numbers" << QStringList{"{n}", "{n:3}"};
        QTest::newRow("music") << "Music" << QStringList{"{tag.artist}",  "{tag.albumartist}",
                                                         "{tag.album}",   "{tag.title}",
                                                         "{tag.track:2}", "{tag.disc}",
                                                         "{tag.year}",    "{tag.genre}",
                                                         "{tag.composer}"};
    }
    void theMenuListsTheTokens() {
        QFETCH(QString, group);
        QFETCH(QStringList, tokens);
        CBrindleDlg& dlg = Open();
        QMenu* submenu = Group(dlg.tokenMenu(), group);
        QVERIFY(submenu);
        for (const QString& token : tokens) {
            QAction* action = dlg.tokenMenu()->actionFor(token);
            QVERIFY2(action, qPrintable(token));
            QVERIFY(submenu->actions().contains(action));
            const QStringList shown = action->text().split('\t');
            QCOMPARE(shown.size(), 2);
            QCOMPARE(shown[0], token);
            QVERIFY2(!shown[1].isEmpty(), qPrintable(token));
        }
    }

    // What the menu puts in is a pattern without a mistake, every entry of it.
    void everyEntryIsAPatternWithoutAMistake() {
        for (const TokenMenuGroup& group : TokenMenuGroups()) {
            for (const TokenMenuEntry& entry : group.entries) {
                if (entry.token == nullptr)
                    continue;
                const auto mistake = brindle::ParseNamePattern(entry.token).error;
                QVERIFY2(!mistake, qPrintable(QString::fromUtf16(entry.token)));
            }
        }
    }

    // The cursor set in the box, the button clicked (or reached by Tab and pressed with
    // Space), an entry chosen: the token goes in at that cursor, the cursor after it, the
    // box has the focus again, and the options know it was edited.
    void aChosenTokenGoesInAtTheCursor_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("expected");
        QTest::newRow("middle") << "IMG_/O" << 4 << 0 << false << "Dates"
                                << "{taken}"
                                << "IMG_{taken}/O";
        QTest::newRow("start, a format") << "_/1" << 0 << 0 << false << "Dates"
                                         << "{taken:%Y%m%d_%H%M%S}"
                                         << "{taken:%Y%m%d_%H%M%S}_/1";
        QTest::newRow("end, by keyboard") << "{tag.track:2} " << 14 << 0 << true << "Music"
                                          << "{tag.artist}"
                                          << "{tag.track:2} {tag.artist}";
        QTest::newRow("empty box") << "" << 0 << 0 << false << "Camera"
                                   << "{exif.model}"
                                   << "{exif.model}";
        // Leaving the box drops its selection: nothing is replaced.
        QTest::newRow("a selection is kept") << "abcdef" << 1 << 3 << false << "Dates"
                                             << "{now}"
                                             << "abcd{now}ef";
    }
    void aChosenTokenGoesInAtTheCursor() {
        QFETCH(QString, text);
        QFETCH(int, cursor);
        QFETCH(int, selected);
        QFETCH(bool, byKeyboard);
        QFETCH(QString, group);
        QFETCH(QString, token);
        QFETCH(QString, expected);
        CBrindleDlg& dlg = Open();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QLineEdit* pattern = Edit(ids::kNamePattern);
        auto* button = Ctl<QPushButton>(ids::kTokenButton);
        pattern->setText(text);
        pattern->setFocus();
        if (selected > 0)
            pattern->setSelection(cursor, selected);
        else
            pattern->setCursorPosition(cursor);
        QSignalSpy edited(&dlg, &CBrindleDlg::optionsEdited);

        TokenMenu* menu = dlg.tokenMenu();
        if (byKeyboard) {
            QTest::keyClick(pattern, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), button);
            QTest::keyClick(button, Qt::Key_Space);
        } else {
            QTest::mouseClick(button, Qt::LeftButton);
        }
        QTRY_VERIFY(menu->isVisible());
        // Under the button.
        QCOMPARE(menu->pos(), button->mapToGlobal(QPoint(0, button->height())));
        QMenu* submenu = Group(menu, group);
        QVERIFY(submenu);
        QAction* entry = menu->actionFor(token);
        QVERIFY(entry);
        menu->setActiveAction(submenu->menuAction());
        QTest::keyClick(menu, Qt::Key_Right);
        QTRY_VERIFY(submenu->isVisible());
        if (byKeyboard) {
            submenu->setActiveAction(entry);
            QTest::keyClick(submenu, Qt::Key_Return);
        } else {
            QTest::mouseClick(submenu, Qt::LeftButton, {}, submenu->actionGeometry(entry).center());
        }

        QVERIFY(!menu->isVisible());
        QVERIFY(!submenu->isVisible());
        QCOMPARE(pattern->text(), expected);
        QCOMPARE(pattern->cursorPosition(), expected.indexOf(token) + token.size());
        QVERIFY(!pattern->hasSelectedText());
        QTRY_COMPARE(QApplication::focusWidget(), pattern);
        QVERIFY(!pattern->hasSelectedText());
        QVERIFY(edited.count() >= 1);
    }

    // A menu closed without a choice changes nothing.
    void aMenuClosedWithoutAChoiceChangesNothing() {
        CBrindleDlg& dlg = Open();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QLineEdit* pattern = Edit(ids::kNamePattern);
        pattern->setText("a/1");
        pattern->setFocus();
        pattern->setCursorPosition(1);
        QTest::mouseClick(Ctl(ids::kTokenButton), Qt::LeftButton);
        QTRY_VERIFY(dlg.tokenMenu()->isVisible());
        QTest::keyClick(dlg.tokenMenu(), Qt::Key_Escape);
        QVERIFY(!dlg.tokenMenu()->isVisible());
        QCOMPARE(pattern->text(), QString("a/1"));
        QCOMPARE(pattern->cursorPosition(), 1);
    }
};

QTEST_MAIN(TokenMenuTest)
#include "TokenMenuTest.moc"
