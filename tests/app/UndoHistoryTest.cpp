// Undo one batch at a time through the main dialog on real temporary folders: the "Undo"
// button's tooltip and question name the batch it takes back, and the Undo History,
// opened from the Preview's menu, lists the batches and takes back a chosen one together
// with every newer one.
#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "MainDialogFixture.h"
#include "app/CBrindleDlg.h"
#include "app/COutputDlg.h"
#include "app/CPreviewDlg.h"
#include "app/ControlIds.h"
#include "app/UndoHistoryDlg.h"
#include "platform/NameCodec.h"

using namespace apptest;

class UndoHistoryTest : public QObject, MainDialogFixture {
    Q_OBJECT

private:
    void Click(int id) { QTest::mouseClick(Ctl(id), Qt::LeftButton); }
    void ChooseFolder(const std::string& relative) {
        services_->folder = brindle::DecodeName(folder_->path(relative).toStdString());
        Click(ids::kChooseFolder);
    }
    // Two logged batches over "u/": lower case, then upper case.
    CBrindleDlg& TwoBatches() {
        folder_->temp().createFiles({"u/A.TXT", "u/b.txt"});
        WriteIni("[config]\nWrite Log File = 1\n");
        CBrindleDlg& dlg = ShowDialog();
        Click(ids::kToLowerCase);
        ChooseFolder("u");
        Click(ids::kToUpperCase);
        ChooseFolder("u");
        [&] {
            QCOMPARE(folder_->temp().listing(),
                     (std::vector<std::string>{"Brindle.ini", "Brindle.log", "Brindle.state", "u/",
                                               "u/A.TXT", "u/B.TXT"}));
        }();
        return dlg;
    }
    QString Folder() const { return folder_->path("u") + "/"; }

private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void undoTakesBackOneBatchAtATime() {
        CBrindleDlg& dlg = TwoBatches();
        QVERIFY(services_->boxes.empty());
        const QString second = "Undo the last batch: 2 items renamed in " + Folder() + ", ";
        QVERIFY2(Ctl(ids::kUndo)->toolTip().startsWith(second),
                 qPrintable(Ctl(ids::kUndo)->toolTip()));

        // Only the second batch goes back, after its question; the log stays unasked.
        services_->answers = {MessageResult::Yes};
        Click(ids::kUndo);
        QCOMPARE(folder_->temp().listing(),
                 (std::vector<std::string>{"Brindle.ini", "Brindle.log", "Brindle.state", "u/",
                                           "u/a.txt", "u/b.txt"}));
        QCOMPARE(services_->boxes.size(), std::size_t(1));
        QVERIFY(services_->boxes[0].text.startsWith(second));
        QCOMPARE(services_->boxes[0].icon, BoxIcon::Question);
        QVERIFY(Ctl(ids::kUndo)->isEnabled());
        QVERIFY2(Ctl(ids::kUndo)
                     ->toolTip()
                     .startsWith("Undo the last batch: 1 item renamed in " + Folder()),
                 qPrintable(Ctl(ids::kUndo)->toolTip()));

        // Then the first; now the log is asked about, and what was passed over is told.
        services_->answers = {MessageResult::Yes, MessageResult::No};
        Click(ids::kUndo);
        QCOMPARE(folder_->temp().listing(),
                 (std::vector<std::string>{"Brindle.ini", "Brindle.log", "Brindle.state", "u/",
                                           "u/A.TXT", "u/b.txt"}));
        QCOMPARE(services_->boxes.size(), std::size_t(3));
        QCOMPARE(services_->boxes[2].text, QString("Do you want to delete Log file?"));
        QVERIFY2(
            dlg.outputDlg()->statusText().endsWith("Exceptions: 0 | passed over: 2 already undone"),
            qPrintable(dlg.outputDlg()->statusText()));

        // A kept log's next Undo moves nothing, asks nothing but about the log, and has no
        // errors.
        services_->answers = {MessageResult::Yes};
        Click(ids::kUndo);
        QCOMPARE(services_->boxes.size(), std::size_t(4));
        QCOMPARE(services_->boxes[3].text, QString("Do you want to delete Log file?"));
        QVERIFY(dlg.outputDlg()->statusText().endsWith(
            "Exceptions: 0 | nothing left to undo; passed over: 3 already undone"));
        QVERIFY(!folder_->temp().exists("Brindle.log"));
        QVERIFY(!Ctl(ids::kUndo)->isEnabled());
    }

    void undoHistoryTakesBackTheChosenBatchAndEveryNewerOne() {
        CBrindleDlg& dlg = TwoBatches();
        dlg.OnPreview();
        CPreviewDlg* preview = dlg.previewDlg();
        QVERIFY(preview);
        preview->undoHistoryAction()->trigger();
        UndoHistoryDlg* history = dlg.undoHistoryDlg();
        QVERIFY(history);
        QVERIFY(history->isVisible());
        UndoHistoryModel* model = history->model();
        QCOMPARE(model->rowCount(), 2);
        // Newest first: its folder, its count, what became of it.
        for (int row = 0; row < 2; ++row) {
            QCOMPARE(model->index(row, 1).data().toString(), Folder());
            QCOMPARE(model->index(row, 3).data().toString(), QString("renamed"));
        }
        QCOMPARE(model->index(0, 2).data().toString(), QString("2"));
        QCOMPARE(model->index(1, 2).data().toString(), QString("1"));
        QVERIFY(!history->undoButton()->isEnabled());

        history->SelectRow(1);
        QVERIFY(history->undoButton()->isEnabled());
        services_->answers = {MessageResult::Yes, MessageResult::No};
        QTest::mouseClick(history->undoButton(), Qt::LeftButton);
        QCOMPARE(folder_->temp().listing(),
                 (std::vector<std::string>{"Brindle.ini", "Brindle.log", "Brindle.state", "u/",
                                           "u/A.TXT", "u/b.txt"}));
        QCOMPARE(services_->boxes.size(), std::size_t(2));
        QVERIFY2(services_->boxes[0].text.startsWith("Undo 2 batches, 3 items in all"),
                 qPrintable(services_->boxes[0].text));
        QCOMPARE(services_->boxes[1].text, QString("Do you want to delete Log file?"));
        // The window shows the log as it is now, the same batch chosen.
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->index(0, 3).data().toString(), QString("undone"));
        QCOMPARE(model->index(1, 3).data().toString(), QString("undone"));
        QVERIFY(!history->undoButton()->isEnabled());
    }
};

QTEST_MAIN(UndoHistoryTest)
#include "UndoHistoryTest.moc"
