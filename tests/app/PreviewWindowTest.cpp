// The Preview window driven as a person would: opened from the main dialog, fed a folder
// or a drop, following what is typed into the dialog, renaming through the dialog's
// batch (rows in the Output Log), asking first when it shows conflicts, never showing a
// plan of an older change, keeping the user's place in the list across plans, showing only
// the rows that change when asked, and long names cut in the middle.
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

#include "MainDialogFixture.h"
#include "TestTokens.h"
#include "app/AppResources.h"
#include "app/CBrindleDlg.h"
#include "app/COutputDlg.h"
#include "app/CPreviewDlg.h"
#include "app/ControlIds.h"
#include "app/OptionsPanel.h"
#include "app/OutputLogModel.h"
#include "app/OutputRows.h"
#include "app/PreviewModel.h"
#include "batch/Messages.h"
#include "platform/NameCodec.h"

using namespace apptest;

namespace {

constexpr int kWait = 10000;

// The image each row is marked with, as the index of the Output Log's row image; -1: none.
QList<int> Marks(const PreviewModel* model) {
    const std::array<QPixmap, 3> images = RowImages();
    QList<int> marks;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QVariant mark =
            model->data(model->index(row, PreviewModel::kCurrentName), Qt::DecorationRole);
        int found = -1;
        for (int i = 0; mark.isValid() && i < static_cast<int>(images.size()); ++i) {
            if (mark.value<QPixmap>().toImage() == images[static_cast<std::size_t>(i)].toImage())
                found = i;
        }
        marks << found;
    }
    return marks;
}

const QString kHidden =
    QStringLiteral("; warning: the new name is hidden, nothing left of it but the extension");
const QString kNoCounter = QStringLiteral(
    "; warning: items of one folder get this name: the name pattern has no counter (/0../9, /C)");

// What the list's rows ask the style to draw: each cell's text, the room it has and how
// the text is cut when it does not fit.
class CellRecorder : public QProxyStyle {
public:
    CellRecorder() : QProxyStyle(QApplication::style()->name()) {}
    struct Cell {
        QString text;
        QRect rect;
        Qt::TextElideMode elide;
    };
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_ItemViewItem) {
            const auto* item = static_cast<const QStyleOptionViewItem*>(option);
            cells.push_back({item->text, item->rect, item->textElideMode});
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    mutable std::vector<Cell> cells;
};

}  // namespace

class PreviewWindowTest : public QObject, MainDialogFixture {
    Q_OBJECT

private:
    template <typename T = QWidget>
    T* PreviewCtl(int id) {
        return dlg_->previewDlg()->findChild<T*>(QString::number(id));
    }
    // Opens the main dialog and, with one click, the Preview; points it at `relative`.
    CPreviewDlg* OpenPreview(const std::string& relative) {
        WriteIni("[config]\nShow Log Window = 1\n");
        ShowDialog();
        QTest::mouseClick(Ctl(ids::kPreview), Qt::LeftButton);
        CPreviewDlg* preview = dlg_->previewDlg();
        if (!preview || !preview->isVisible())
            return nullptr;
        services_->folder = brindle::DecodeName(folder_->path(relative).toStdString());
        QTest::mouseClick(PreviewCtl(ids::kPreviewChoose), Qt::LeftButton);
        return preview;
    }
    static bool Settled(CPreviewDlg* preview) {
        return QTest::qWaitFor([preview] { return preview->upToDate(); }, kWait);
    }

private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void typingInTheReplaceEditUpdatesTheTable() {
        folder_->temp().createFiles({"p/Banana.txt", "p/cake.txt", "p/sub/nut.txt"});
        CPreviewDlg* preview = OpenPreview("p");
        QVERIFY(preview);
        QCOMPARE(services_->prompts.size(), std::size_t(1));
        QVERIFY(Settled(preview));
        PreviewModel* model = preview->model();
        QCOMPARE(PreviewColumn(model, PreviewModel::kCurrentName),
                 (QStringList{"Banana.txt", "cake.txt"}));
        QCOMPARE(PreviewColumn(model, PreviewModel::kState),
                 (QStringList{"unchanged", "unchanged"}));

        QTest::keyClicks(Ctl(ids::kReplaceWhat), "a");
        QTest::keyClicks(Ctl(ids::kReplaceWith), "o");
        QTRY_COMPARE_WITH_TIMEOUT(PreviewColumn(model, PreviewModel::kNewName),
                                  (QStringList{"Bonono.txt", "coke.txt"}), kWait);
        QVERIFY(Settled(preview));
        const QString p = folder_->path("p") + "/";
        QCOMPARE(PreviewColumn(model, PreviewModel::kFolder), (QStringList{p, p}));
        QCOMPARE(PreviewColumn(model, PreviewModel::kState), (QStringList{"rename", "rename"}));
        QCOMPARE(preview->summaryLine()->text(),
                 QString("Items: 2 | To rename: 2 | Unchanged: 0 | Conflicts: 0"));
        // Any option counts: "Scan Subfolders" brings the subfolder's file in.
        QTest::mouseClick(Ctl(ids::kScanSubfolders), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), 3, kWait);
        // Nothing was renamed, the dialog's counter did not move, no box was shown.
        QVERIFY(folder_->temp().exists("p/Banana.txt"));
        QCOMPARE(dlg_->outputDlg()->model()->rowCount(), 0);
        QCOMPARE(Ctl<QLineEdit>(ids::kStartIndex)->text(), QString("0"));
        QVERIFY(services_->boxes.empty());
    }

    // An option the main dialog has no control for is set in the Preview's panel: the plan
    // follows it, the main dialog names it on its "Also" line, and a click on that line
    // brings the Preview back.
    void theOptionsPanelSteersTheBatchAndTheDialogNamesIt() {
        folder_->temp().createFiles({"o/b10.txt", "o/B2.txt", "o/a.txt"});
        CPreviewDlg* preview = OpenPreview("o");
        QVERIFY(preview);
        QPushButton* also = Ctl<QPushButton>(ids::kAlsoLine);
        QVERIFY(!also->isVisible());
        QTest::keyClicks(Ctl(ids::kNamePattern), "/1_/O");
        QTRY_COMPARE_WITH_TIMEOUT(PreviewColumn(preview->model(), PreviewModel::kNewName),
                                  (QStringList{"0_a.txt", "1_B2.txt", "2_b10.txt"}), kWait);

        auto* order = qobject_cast<QComboBox*>(
            preview->optionsPanel()->ControlFor(brindle::options::kKeyOrder));
        QVERIFY(order);
        order->setCurrentIndex(order->findData(static_cast<int>(brindle::NameOrder::Bytes)));
        QTRY_COMPARE_WITH_TIMEOUT(PreviewColumn(preview->model(), PreviewModel::kNewName),
                                  (QStringList{"0_B2.txt", "1_a.txt", "2_b10.txt"}), kWait);
        QVERIFY(also->isVisible());
        QCOMPARE(also->toolTip(), QString("Also: ordered by the names' bytes"));
        QCOMPARE(dlg_->settings().order, brindle::NameOrder::Bytes);

        preview->close();
        QTest::mouseClick(also, Qt::LeftButton);
        QVERIFY(preview->isVisible());
        // Back to the default: the line goes.
        order->setCurrentIndex(order->findData(static_cast<int>(brindle::NameOrder::Natural)));
        QVERIFY(!also->isVisible());
    }

    void renameAppliesTheBatchItShows() {
        folder_->temp().createFiles({"r/One.TXT", "r/Two.TXT"});
        CPreviewDlg* preview = OpenPreview("r");
        QVERIFY(preview);
        QTest::mouseClick(Ctl(ids::kToLowerCase), Qt::LeftButton);
        QTest::keyClicks(Ctl(ids::kNamePattern), "/O_/1");
        QTRY_COMPARE_WITH_TIMEOUT(PreviewColumn(preview->model(), PreviewModel::kNewName),
                                  (QStringList{"one_0.txt", "two_1.txt"}), kWait);
        QVERIFY(Settled(preview));
        const QStringList foreseen = PreviewColumn(preview->model(), PreviewModel::kNewName);
        QVERIFY(preview->renameButton()->isEnabled());
        QTest::mouseClick(preview->renameButton(), Qt::LeftButton);

        // The Output Log shows the rows the Preview showed; the files have their names.
        COutputDlg* out = dlg_->outputDlg();
        QCOMPARE(OutputColumn(out, brindle::kColumnInput), (QStringList{"One.TXT", "Two.TXT"}));
        QCOMPARE(OutputColumn(out, brindle::kColumnOutput), foreseen);
        QVERIFY(folder_->temp().exists("r/one_0.txt"));
        QVERIFY(folder_->temp().exists("r/two_1.txt"));
        QVERIFY(services_->boxes.empty());
        // The dialog's counter went on, and the Preview planned again from there.
        QCOMPARE(Ctl<QLineEdit>(ids::kStartIndex)->text(), QString("2"));
        QTRY_COMPARE_WITH_TIMEOUT(PreviewColumn(preview->model(), PreviewModel::kNewName),
                                  (QStringList{"one_0_2.txt", "two_1_3.txt"}), kWait);
    }

    void withAConflictRenameAsksFirst() {
        folder_->temp().createFiles({"c/A.txt", "c/a.TXT", "c/b.TXT"});
        CPreviewDlg* preview = OpenPreview("c");
        QVERIFY(preview);
        QTest::mouseClick(Ctl(ids::kToLowerCase), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(
            preview->upToDate() && PreviewColumn(preview->model(), 1).contains("b.txt"), kWait);
        QVERIFY(preview->summaryLine()->text().contains("Conflicts: 1"));
        QVERIFY(PreviewColumn(preview->model(), PreviewModel::kState)[1].startsWith("conflict: "));

        // No: nothing happens.
        services_->answers = {MessageResult::No};
        QTest::mouseClick(preview->renameButton(), Qt::LeftButton);
        QCOMPARE(services_->boxes.size(), std::size_t(1));
        QCOMPARE(services_->boxes[0].buttons, MessageButtons::YesNo);
        QCOMPARE(services_->boxes[0].icon, BoxIcon::Warning);
        QVERIFY(services_->boxes[0].text.startsWith("1 of the 3 items conflict"));
        QVERIFY(folder_->temp().exists("c/A.txt"));
        QCOMPARE(dlg_->outputDlg()->model()->rowCount(), 0);

        // Yes: the batch runs, and the conflicting item fails as in any batch.
        services_->answers = {MessageResult::Yes};
        QTest::mouseClick(preview->renameButton(), Qt::LeftButton);
        QCOMPARE(services_->boxes.size(), std::size_t(2));
        QCOMPARE(OutputColumn(dlg_->outputDlg(), brindle::kColumnOutput),
                 (QStringList{"a.txt", QString::fromUtf16(brindle::kTextRenameFailed), "b.txt"}));
        QVERIFY(folder_->temp().exists("c/a.TXT"));
        QVERIFY(folder_->temp().exists("c/b.txt"));
    }

    // A pattern that is only '/' leaves each name its extension alone: every row is marked
    // as a warning, the summary counts them, and "Rename" asks first; the batch then
    // renames them all the same.
    void hiddenNamesAreWarningsAndRenameAsksFirst() {
        folder_->temp().createFiles({"h/notes.txt", "h/photo.jpg"});
        CPreviewDlg* preview = OpenPreview("h");
        QVERIFY(preview);
        PreviewModel* model = preview->model();
        QTest::keyClicks(Ctl(ids::kNamePattern), "/");
        QTRY_VERIFY_WITH_TIMEOUT(
            preview->upToDate() &&
                PreviewColumn(model, PreviewModel::kNewName) == QStringList({".txt", ".jpg"}),
            kWait);
        QCOMPARE(PreviewColumn(model, PreviewModel::kState),
                 (QStringList{"rename" + kHidden, "rename" + kHidden}));
        QCOMPARE(Marks(model),
                 (QList<int>{brindle::kImageExclamation, brindle::kImageExclamation}));
        QCOMPARE(preview->summaryLine()->text(),
                 QString("Items: 2 | To rename: 2 | Unchanged: 0 | Conflicts: 0 | Warnings: 2 "
                         "(hidden: 2)"));

        services_->answers = {MessageResult::No};
        QTest::mouseClick(preview->renameButton(), Qt::LeftButton);
        QCOMPARE(services_->boxes.size(), std::size_t(1));
        QCOMPARE(services_->boxes[0].buttons, MessageButtons::YesNo);
        QCOMPARE(services_->boxes[0].icon, BoxIcon::Warning);
        QCOMPARE(services_->boxes[0].text,
                 QString("2 of the 2 items have warnings, as the Preview shows: they will be "
                         "renamed all the same.\nRename the items?"));
        QVERIFY(folder_->temp().exists("h/notes.txt"));
        QCOMPARE(dlg_->outputDlg()->model()->rowCount(), 0);

        services_->answers = {MessageResult::Yes};
        QTest::mouseClick(preview->renameButton(), Qt::LeftButton);
        QCOMPARE(services_->boxes.size(), std::size_t(2));
        QCOMPARE(OutputColumn(dlg_->outputDlg(), brindle::kColumnOutput),
                 (QStringList{".txt", ".jpg"}));
        QVERIFY(folder_->temp().exists("h/.txt"));
        QVERIFY(folder_->temp().exists("h/.jpg"));
    }

    // Two items given one name by a pattern without a counter: the warning names the
    // cause on both, the conflict follows on the second; a counter takes both away.
    void oneNameWithoutACounterIsWarnedOfWithItsConflict() {
        folder_->temp().createFiles({"n/a.txt", "n/b.txt", "n/c.md"});
        CPreviewDlg* preview = OpenPreview("n");
        QVERIFY(preview);
        PreviewModel* model = preview->model();
        QTest::keyClicks(Ctl(ids::kNamePattern), "N");
        QTRY_VERIFY_WITH_TIMEOUT(
            preview->upToDate() && PreviewColumn(model, PreviewModel::kNewName) ==
                                       QStringList({"N.txt", "N.txt", "N.md"}),
            kWait);
        QCOMPARE(
            PreviewColumn(model, PreviewModel::kState),
            (QStringList{"rename" + kNoCounter,
                         "conflict: an earlier item takes the same new name (a.txt)" + kNoCounter,
                         "rename"}));
        QCOMPARE(Marks(model), (QList<int>{brindle::kImageExclamation, brindle::kImageCross,
                                           brindle::kImageCheck}));
        QCOMPARE(preview->summaryLine()->text(),
                 QString("Items: 3 | To rename: 2 | Unchanged: 0 | Conflicts: 1 (same new name: "
                         "1) | Warnings: 2 (one name, no counter: 2)"));

        services_->answers = {MessageResult::No};
        QTest::mouseClick(preview->renameButton(), Qt::LeftButton);
        QCOMPARE(services_->boxes.size(), std::size_t(1));
        QCOMPARE(services_->boxes[0].text,
                 QString("1 of the 3 items conflict, as the Preview shows: they will not be "
                         "renamed, and their rows in the Output Log will show the failure.\n2 "
                         "items have warnings, as the Preview shows: those that do not conflict "
                         "will be renamed all the same.\nRename the other items?"));
        QVERIFY(folder_->temp().exists("n/a.txt"));

        QTest::keyClicks(Ctl(ids::kNamePattern), "/1");
        QTRY_VERIFY_WITH_TIMEOUT(
            preview->upToDate() && PreviewColumn(model, PreviewModel::kNewName) ==
                                       QStringList({"N0.txt", "N1.txt", "N2.md"}),
            kWait);
        QCOMPARE(PreviewColumn(model, PreviewModel::kState),
                 (QStringList{"rename", "rename", "rename"}));
        QCOMPARE(Marks(model),
                 (QList<int>{brindle::kImageCheck, brindle::kImageCheck, brindle::kImageCheck}));
        QCOMPARE(preview->summaryLine()->text(),
                 QString("Items: 3 | To rename: 3 | Unchanged: 0 | Conflicts: 0"));
    }

    // Each change plans anew and cancels the plan of the change before it: the table never
    // shows a plan of an older change once a newer one is on show, and it ends with the
    // latest.
    void aNewerChangeWins() {
        for (int i = 0; i < 3000; ++i)
            folder_->temp().createFile("many/file" + std::to_string(i) + ".txt");
        CPreviewDlg* preview = OpenPreview("many");
        QVERIFY(preview);
        QVERIFY(Settled(preview));
        QStringList shown;
        connect(preview, &CPreviewDlg::planShown, this,
                [&](bool) { shown << preview->model()->text(0, PreviewModel::kNewName); });
        auto* pattern = Ctl<QLineEdit>(ids::kNamePattern);
        for (const char* text : {"A/O", "AB/O", "ABC/O", "ABCD/O"}) {
            pattern->setText(QString::fromLatin1(text));
            QCoreApplication::processEvents();
        }
        QTRY_VERIFY_WITH_TIMEOUT(preview->upToDate(), kWait);
        QCOMPARE(preview->model()->text(0, PreviewModel::kNewName), QString("ABCDfile0.txt"));
        QCOMPARE(preview->model()->rowCount(), 3000);
        QVERIFY(!shown.isEmpty());
        for (qsizetype i = 1; i < shown.size(); ++i)
            QVERIFY2(shown[i].size() >= shown[i - 1].size(), qPrintable(shown.join(' ')));
    }

    // Scrolled down with a row chosen, the user stays where they were when the plan is
    // made again: the same item at the top, the same item chosen.
    void keepsItsPlaceAcrossUpdates_data() {
        QTest::addColumn<QString>("update");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("an option changed") << "option"
                                           << "f150.txt"
                                           << "f160.txt";
        QTest::newRow("a file added above") << "add"
                                            << "f150.txt"
                                            << "f160.txt";
        QTest::newRow("the top file removed") << "removeTop"
                                              << "f151.txt"
                                              << "f160.txt";
        QTest::newRow("only changes shown") << "onlyChanges"
                                            << "f150.txt"
                                            << "f160.txt";
    }
    void keepsItsPlaceAcrossUpdates() {
        QFETCH(QString, update);
        QFETCH(QString, top);
        QFETCH(QString, chosen);
        for (int i = 0; i < 300; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "f%03d.txt", i);
            folder_->temp().createFile(std::string("k/") + name);
        }
        CPreviewDlg* preview = OpenPreview("k");
        QVERIFY(preview);
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        QVERIFY(Settled(preview));
        PreviewModel* model = preview->model();
        QTableView* list = preview->list();
        const auto topName = [&] {
            return model->text(list->rowAt(0), PreviewModel::kCurrentName);
        };
        const auto chosenName = [&] {
            const QModelIndexList rows = list->selectionModel()->selectedRows();
            return rows.size() == 1 ? model->text(rows[0].row(), PreviewModel::kCurrentName)
                                    : QString();
        };
        list->selectRow(160);
        list->scrollTo(model->index(150, 0), QAbstractItemView::PositionAtTop);
        QCOMPARE(topName(), QString("f150.txt"));
        QCOMPARE(chosenName(), QString("f160.txt"));

        if (update == "option") {
            QTest::keyClicks(Ctl(ids::kReplaceWhat), "f");
            QTest::keyClicks(Ctl(ids::kReplaceWith), "g");
            QTRY_VERIFY_WITH_TIMEOUT(preview->upToDate() && model->text(0, 1) == "g000.txt", kWait);
        } else if (update == "add") {
            folder_->temp().createFile("k/a.txt");
            QTRY_VERIFY_WITH_TIMEOUT(preview->upToDate() && model->rowCount() == 301, kWait);
        } else if (update == "removeTop") {
            std::remove(folder_->path("k/f150.txt").toLocal8Bit().constData());
            QTRY_VERIFY_WITH_TIMEOUT(preview->upToDate() && model->rowCount() == 299, kWait);
        } else {
            // The items from f100 to f199 change: the rows above the top go.
            QTest::keyClicks(Ctl(ids::kReplaceWhat), "f1");
            QTest::keyClicks(Ctl(ids::kReplaceWith), "F1");
            QTRY_VERIFY_WITH_TIMEOUT(preview->upToDate() && model->text(100, 1) == "F100.txt",
                                     kWait);
            QCOMPARE(topName(), QString("f150.txt"));
            QTest::mouseClick(preview->onlyChangesBox(), Qt::LeftButton);
            QCOMPARE(model->rowCount(), 100);
            QVERIFY(model->onlyChanges());
        }
        QCOMPARE(topName(), top);
        QCOMPARE(chosenName(), chosen);
        QVERIFY(list->verticalScrollBar()->value() > 0);
    }

    // With only changes shown, the rows are those that change or need a look, in the
    // plan's order; the summary still counts the whole batch.
    void showOnlyChangesLeavesOutTheRest() {
        folder_->temp().createFiles({"s/zz1.txt", "s/zz2.txt", "s/2.txt"});
        for (int i = 0; i < 30; ++i)
            folder_->temp().createFile("s/plain" + std::to_string(i) + ".txt");
        CPreviewDlg* preview = OpenPreview("s");
        QVERIFY(preview);
        PreviewModel* model = preview->model();
        QTest::keyClicks(Ctl(ids::kReplaceWhat), "zz");
        QTRY_VERIFY_WITH_TIMEOUT(preview->upToDate() && PreviewColumn(model, 1).contains("1.txt"),
                                 kWait);
        const QString summary = preview->summaryLine()->text();
        QCOMPARE(summary, QString("Items: 33 | To rename: 1 | Unchanged: 31 | Conflicts: 1 (new "
                                  "name exists: 1)"));
        QCOMPARE(model->rowCount(), 33);

        QTest::mouseClick(preview->onlyChangesBox(), Qt::LeftButton);
        QCOMPARE(PreviewColumn(model, PreviewModel::kCurrentName),
                 (QStringList{"zz1.txt", "zz2.txt"}));
        QCOMPARE(PreviewColumn(model, PreviewModel::kNewName), (QStringList{"1.txt", "2.txt"}));
        QVERIFY(PreviewColumn(model, PreviewModel::kState)[1].startsWith("conflict: "));
        QCOMPARE(Marks(model), (QList<int>{brindle::kImageCheck, brindle::kImageCross}));
        QCOMPARE(preview->summaryLine()->text(), summary);
        // A later plan is shown the same way; the choice belongs to the window, not to
        // the batch's settings.
        QTest::keyClicks(Ctl(ids::kReplaceWith), "y");
        QTRY_VERIFY_WITH_TIMEOUT(preview->upToDate() && PreviewColumn(model, 1).contains("y1.txt"),
                                 kWait);
        QCOMPARE(PreviewColumn(model, PreviewModel::kNewName), (QStringList{"y1.txt", "y2.txt"}));
        QCOMPARE(preview->summaryLine()->text(),
                 QString("Items: 33 | To rename: 2 | Unchanged: 31 | Conflicts: 0"));

        QTest::mouseClick(preview->onlyChangesBox(), Qt::LeftButton);
        QCOMPARE(model->rowCount(), 33);
    }

    // A name longer than its column shows its start and its end, and the whole of it as
    // the cell's tooltip.
    void aLongNameIsCutInTheMiddle() {
        const QString name = "Start_" + QString(150, 'm') + "_End.txt";
        folder_->temp().createFile("l/" + name.toStdString());
        CPreviewDlg* preview = OpenPreview("l");
        QVERIFY(preview);
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        QVERIFY(Settled(preview));
        QTableView* list = preview->list();
        const QRect cell = list->visualRect(preview->model()->index(0, PreviewModel::kCurrentName));
        QVERIFY(list->fontMetrics().horizontalAdvance(name) > cell.width());

        CellRecorder recorder;
        list->setStyle(&recorder);
        list->viewport()->repaint();
        list->setStyle(nullptr);
        const auto drawn =
            std::find_if(recorder.cells.begin(), recorder.cells.end(),
                         [&](const CellRecorder::Cell& c) { return c.text == name; });
        QVERIFY(drawn != recorder.cells.end());
        QCOMPARE(drawn->elide, Qt::ElideMiddle);

        QHelpEvent help(QEvent::ToolTip, cell.center(),
                        list->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(list->viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), name);
        QToolTip::hideText();
    }

    void dropsAndChangesOnDiskArePlannedAgain() {
        folder_->temp().createFiles({"d/x.TXT", "d/y.TXT", "e/z.TXT"});
        CPreviewDlg* preview = OpenPreview("e");
        QVERIFY(preview);
        QVERIFY(Settled(preview));
        QCOMPARE(preview->model()->rowCount(), 1);
        // The folder changes on disk: the preview follows by itself.
        folder_->temp().createFile("e/w.TXT");
        QTRY_COMPARE_WITH_TIMEOUT(PreviewColumn(preview->model(), PreviewModel::kCurrentName),
                                  (QStringList{"w.TXT", "z.TXT"}), kWait);

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(folder_->path("d/y.TXT")),
                      QUrl::fromLocalFile(folder_->path("d/x.TXT"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(preview, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(preview, &drop);
        QVERIFY(drop.isAccepted());
        QTRY_COMPARE_WITH_TIMEOUT(PreviewColumn(preview->model(), PreviewModel::kCurrentName),
                                  (QStringList{"y.TXT", "x.TXT"}), kWait);
        // A dropped file removed meanwhile is found missing.
        std::remove(folder_->path("d/x.TXT").toLocal8Bit().constData());
        QTest::mouseClick(Ctl(ids::kToLowerCase), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(PreviewColumn(preview->model(), PreviewModel::kState),
                                  (QStringList{"rename", "conflict: not found"}), kWait);
    }

    void aTableThatCannotBeOpenedShowsInTheSummary() {
        folder_->temp().createFiles({"t/one.txt"});
        folder_->temp().createFile("Brindle.ini", "[config]\nOnly English = 1\n");
        dlg_ = std::make_unique<CBrindleDlg>(*services_, nullptr,
                                             brindle::PortableUserFiles(folder_->folder()));
        dlg_->show();
        Ctl<QComboBox>(ids::kMethodList)->setCurrentIndex(0);
        std::remove(folder_->path("Brindle.ini").toLocal8Bit().constData());
        QTest::mouseClick(Ctl(ids::kPreview), Qt::LeftButton);
        services_->folder = brindle::DecodeName(folder_->path("t").toStdString());
        QTest::mouseClick(PreviewCtl(ids::kPreviewChoose), Qt::LeftButton);
        CPreviewDlg* preview = dlg_->previewDlg();
        QVERIFY(Settled(preview));
        QVERIFY(preview->summaryLine()->text().contains("Error opening file: " +
                                                        folder_->path("Brindle.ini")));
        QVERIFY(services_->boxes.empty());
        QVERIFY(Ctl<QCheckBox>(ids::kOnlyEnglish)->isChecked());
    }

    // A token the pattern knows, with an argument it refuses: the Preview says where and
    // why, and the main dialog refuses the batch with a box that says the same. A brace
    // group that names no token is ordinary text.
    void aPatternWithAMistakeIsShownAndRefused() {
        brindle::testing::RegisterTestTokens();
        folder_->temp().createFiles({"m/A.txt"});
        CPreviewDlg* preview = OpenPreview("m");
        QVERIFY(preview);
        QVERIFY(Settled(preview));
        QCOMPARE(preview->model()->rowCount(), 1);

        Ctl<QLineEdit>(ids::kNamePattern)->setText(QStringLiteral("{test.echo}"));
        const QString mistake = QStringLiteral(
            "The name pattern has a mistake at character 11: \"test.echo\" needs a text "
            "after ':'.");
        QTRY_COMPARE_WITH_TIMEOUT(preview->summaryLine()->text(), mistake, kWait);
        QVERIFY(Settled(preview));
        QCOMPARE(preview->model()->rowCount(), 0);
        QVERIFY(!preview->renameButton()->isEnabled());

        services_->folder = brindle::DecodeName(folder_->path("m").toStdString());
        QTest::mouseClick(Ctl(ids::kChooseFolder), Qt::LeftButton);
        QCOMPARE(services_->boxes.size(), std::size_t(1));
        QCOMPARE(services_->boxes[0].text, mistake);
        QCOMPARE(services_->boxes[0].buttons, MessageButtons::Ok);
        QCOMPARE(services_->boxes[0].icon, BoxIcon::Warning);
        QVERIFY(folder_->temp().exists("m/A.txt"));
        QCOMPARE(dlg_->outputDlg()->model()->rowCount(), 0);
        QCOMPARE(Ctl<QLineEdit>(ids::kStartIndex)->text(), QString("0"));

        Ctl<QLineEdit>(ids::kNamePattern)->setText(QStringLiteral("{date}/O"));
        QTRY_COMPARE_WITH_TIMEOUT(PreviewColumn(preview->model(), PreviewModel::kNewName),
                                  (QStringList{"{date}A.txt"}), kWait);
        QTest::mouseClick(Ctl(ids::kChooseFolder), Qt::LeftButton);
        QVERIFY(folder_->temp().exists("m/{date}A.txt"));
        QCOMPARE(services_->boxes.size(), std::size_t(1));
    }
};

QTEST_MAIN(PreviewWindowTest)
#include "PreviewWindowTest.moc"
