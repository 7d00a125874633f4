// The Preview's part in the order of a batch and the items it takes: the Options panel's
// order list takes a typed expression, a click on a column's title orders the batch as the
// panel would (and "Rename" renames in that order), sizes and times show in their columns,
// and the entries the filters pass over show greyed when asked.
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTest>

#include <string>

#include "MainDialogFixture.h"
#include "app/CPreviewDlg.h"
#include "app/ControlIds.h"
#include "app/OptionsPanel.h"
#include "app/PreviewModel.h"
#include "engine/OptionTable.h"
#include "platform/NameCodec.h"

using namespace apptest;
using brindle::NameOrder;
namespace table = brindle::options;

namespace {

constexpr int kWait = 10000;

// A click on the middle of a column's title.
void ClickTitle(QTableView* list, int column) {
    QHeaderView* header = list->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

// A click on a check box's square: the panel's boxes are as wide as the panel.
void ClickBox(QCheckBox* box) {
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect square = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, square.center());
}

}  // namespace

class PreviewOrderTest : public QObject, MainDialogFixture {
    Q_OBJECT

private:
    CPreviewDlg* OpenPreview(const std::string& relative) {
        WriteIni("[config]\n");
        ShowDialog();
        QTest::mouseClick(Ctl(ids::kPreview), Qt::LeftButton);
        CPreviewDlg* preview = dlg_->previewDlg();
        if (!preview || !preview->isVisible())
            return nullptr;
        services_->folder = brindle::DecodeName(folder_->path(relative).toStdString());
        QTest::mouseClick(preview->findChild<QWidget*>(QString::number(ids::kPreviewChoose)),
                          Qt::LeftButton);
        return preview;
    }
    // The whole plan is on show and its rows are `names`.
    static bool Shows(CPreviewDlg* preview, const QStringList& names) {
        return QTest::qWaitFor(
            [&] {
                return preview->upToDate() &&
                       PreviewColumn(preview->model(), PreviewModel::kCurrentName) == names;
            },
            kWait);
    }

private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    // What is typed into the order's list is a listed text, a word or an expression; the
    // panel shows the options again as they were saved. A text that is no order is kept
    // as typed, for the plan to say what is wrong with it.
    void theOrderListTakesWhatIsTyped() {
        OptionsPanel panel(nullptr);
        auto* list = qobject_cast<QComboBox*>(panel.ControlFor(table::kKeyOrder));
        QVERIFY(list && list->isEditable());
        const struct {
            QString typed;
            NameOrder order;
            QString expression;
            QString shown;
        } cases[] = {
            {"By size", NameOrder::Size, "", "By size"},
            {"modified", NameOrder::Modified, "", "By date modified"},
            {" {exif.model}{taken} ", NameOrder::Expression, "{exif.model}{taken}",
             "{exif.model}{taken}"},
            {"{n}", NameOrder::Expression, "{n}", "{n}"},
            {"{taken", NameOrder::Expression, "{taken", "{taken"},
            {"newest", NameOrder::Expression, "newest", "newest"},
        };
        for (const auto& c : cases) {
            list->setEditText(c.typed);
            brindle::RenameSettings saved;
            panel.Save(saved);
            QCOMPARE(saved.order, c.order);
            QCOMPARE(ToQString(saved.orderExpression), c.expression);
            panel.Load(brindle::RenameSettings{});
            QCOMPARE(list->currentText(), list->itemText(0));
            panel.Load(saved);
            QCOMPARE(list->currentText(), c.shown);
        }
    }

    // Clicks on the title of "Size" order the batch by size, then turn the order round,
    // as the panel's controls would: the panel and the main dialog show it, the numbers
    // follow the rows, and "Rename" renames in the order shown.
    void aColumnTitleOrdersTheBatchAndRenameFollows() {
        folder_->temp().createFile("z/a.txt", std::string(3000, 'a'));
        folder_->temp().createFile("z/b.txt", std::string(1000, 'b'));
        folder_->temp().createFile("z/c.txt", std::string(2000, 'c'));
        CPreviewDlg* preview = OpenPreview("z");
        QVERIFY(preview);
        QTest::keyClicks(Ctl(ids::kNamePattern), "{n}");
        QVERIFY(Shows(preview, {"a.txt", "b.txt", "c.txt"}));
        PreviewModel* model = preview->model();
        QCOMPARE(PreviewColumn(model, PreviewModel::kNewName),
                 (QStringList{"1.txt", "2.txt", "3.txt"}));
        QCOMPARE(PreviewColumn(model, PreviewModel::kSize),
                 (QStringList{"3,000", "1,000", "2,000"}));
        const QRegularExpression minute(R"(^\d{4}-\d\d-\d\d \d\d:\d\d$)");
        for (const QString& modified : PreviewColumn(model, PreviewModel::kModified))
            QVERIFY2(minute.match(modified).hasMatch(), qPrintable(modified));
        QTableView* list = preview->list();
        QVERIFY(list->isColumnHidden(PreviewModel::kTaken));
        QHeaderView* header = list->horizontalHeader();
        QCOMPARE(header->sortIndicatorSection(), int(PreviewModel::kCurrentName));

        auto* order =
            qobject_cast<QComboBox*>(preview->optionsPanel()->ControlFor(table::kKeyOrder));
        auto* reverse =
            qobject_cast<QCheckBox*>(preview->optionsPanel()->ControlFor(table::kKeyReverseOrder));
        QVERIFY(order && reverse);
        auto* also = Ctl<QPushButton>(ids::kAlsoLine);
        const struct {
            QStringList rows;
            bool reversed;
            QString also;
        } clicks[] = {
            {{"b.txt", "c.txt", "a.txt"}, false, "Also: ordered by size"},
            {{"a.txt", "c.txt", "b.txt"}, true, "Also: ordered by size; Reverse Order"},
            {{"b.txt", "c.txt", "a.txt"}, false, "Also: ordered by size"},
        };
        for (const auto& click : clicks) {
            ClickTitle(list, PreviewModel::kSize);
            QVERIFY(Shows(preview, click.rows));
            QCOMPARE(PreviewColumn(model, PreviewModel::kNewName),
                     (QStringList{"1.txt", "2.txt", "3.txt"}));
            QCOMPARE(order->currentText(), QString("By size"));
            QCOMPARE(reverse->isChecked(), click.reversed);
            QCOMPARE(also->toolTip(), click.also);
            QCOMPARE(dlg_->settings().order, NameOrder::Size);
            QCOMPARE(dlg_->settings().reverseOrder, click.reversed);
            QCOMPARE(header->sortIndicatorSection(), int(PreviewModel::kSize));
            QCOMPARE(header->sortIndicatorOrder(),
                     click.reversed ? Qt::DescendingOrder : Qt::AscendingOrder);
        }
        // A title that is no order changes nothing, and the view sorts nothing.
        ClickTitle(list, PreviewModel::kNewName);
        QCOMPARE(header->sortIndicatorSection(), int(PreviewModel::kSize));
        QCOMPARE(dlg_->settings().order, NameOrder::Size);
        QVERIFY(preview->upToDate());
        QCOMPARE(PreviewColumn(model, PreviewModel::kCurrentName),
                 (QStringList{"b.txt", "c.txt", "a.txt"}));

        QTest::mouseClick(preview->renameButton(), Qt::LeftButton);
        QVERIFY(services_->boxes.empty());
        QCOMPARE(folder_->temp().readFile("z/1.txt"), std::string(1000, 'b'));
        QCOMPARE(folder_->temp().readFile("z/2.txt"), std::string(2000, 'c'));
        QCOMPARE(folder_->temp().readFile("z/3.txt"), std::string(3000, 'a'));
    }

    // A mistake in a typed order says itself in the summary, and nothing can be renamed.
    void aTypedOrderWithAMistakeShowsInTheSummary() {
        folder_->temp().createFiles({"m/a.txt", "m/b.txt"});
        CPreviewDlg* preview = OpenPreview("m");
        QVERIFY(preview);
        QVERIFY(Shows(preview, {"a.txt", "b.txt"}));
        auto* order =
            qobject_cast<QComboBox*>(preview->optionsPanel()->ControlFor(table::kKeyOrder));
        QVERIFY(order);
        order->lineEdit()->selectAll();
        QTest::keyClicks(order->lineEdit(), "{n}");
        QTRY_COMPARE_WITH_TIMEOUT(
            preview->summaryLine()->text(),
            QString("The order has a mistake at character 1: a counter numbers the items in the "
                    "order: it cannot order them."),
            kWait);
        QVERIFY(Shows(preview, {}));
        QVERIFY(!preview->renameButton()->isEnabled());
        QCOMPARE(preview->list()->horizontalHeader()->sortIndicatorSection(), -1);
    }

    // The panel's filter leaves items out: they show after the items, greyed, only when
    // asked, and a folder's size is empty.
    void skippedEntriesShowGreyedWhenAsked() {
        folder_->temp().createFiles({"k/a.jpg", "k/b.txt", "k/sub/x.jpg"});
        CPreviewDlg* preview = OpenPreview("k");
        QVERIFY(preview);
        OptionsPanel* panel = preview->optionsPanel();
        for (const std::u16string_view key :
             {table::kKeyReverseOrder, table::kKeyAcrossFolders, table::kKeyInclude,
              table::kKeyExclude, table::kKeyFoldersOnly})
            QVERIFY(panel->ControlFor(key));
        QVERIFY(Shows(preview, {"a.jpg", "b.txt"}));
        QVERIFY(!preview->showSkippedBox()->isChecked());

        QTest::keyClicks(qobject_cast<QLineEdit*>(panel->ControlFor(table::kKeyInclude)),
                         "*.jpg;s*");
        QVERIFY(Shows(preview, {"a.jpg"}));
        QVERIFY(preview->summaryLine()->text().endsWith("| Skipped: 1"));
        PreviewModel* model = preview->model();
        QTest::mouseClick(preview->showSkippedBox(), Qt::LeftButton);
        QCOMPARE(PreviewColumn(model, PreviewModel::kCurrentName), (QStringList{"a.jpg", "b.txt"}));
        const QString k = folder_->path("k") + "/";
        QCOMPARE(PreviewColumn(model, PreviewModel::kFolder), (QStringList{k, k}));
        QCOMPARE(PreviewColumn(model, PreviewModel::kState), (QStringList{"unchanged", "skipped"}));
        const QBrush grey = QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        for (int column = 0; column < PreviewModel::kColumns; ++column) {
            QVERIFY(model->flags(model->index(0, column)).testFlag(Qt::ItemIsEnabled));
            QVERIFY(!model->flags(model->index(1, column)).testFlag(Qt::ItemIsEnabled));
            QCOMPARE(model->index(1, column).data(Qt::ForegroundRole).value<QBrush>(), grey);
        }

        // Folders are the items: the files are passed over, and a folder has no size.
        ClickBox(qobject_cast<QCheckBox*>(panel->ControlFor(table::kKeyFoldersOnly)));
        QVERIFY(Shows(preview, {"sub", "a.jpg", "b.txt"}));
        QCOMPARE(PreviewColumn(model, PreviewModel::kState),
                 (QStringList{"unchanged", "skipped", "skipped"}));
        QCOMPARE(model->text(0, PreviewModel::kSize), QString());
        QVERIFY(!model->text(0, PreviewModel::kModified).isEmpty());
        QVERIFY(preview->renameButton()->isEnabled());

        QTest::mouseClick(preview->showSkippedBox(), Qt::LeftButton);
        QCOMPARE(PreviewColumn(model, PreviewModel::kCurrentName), (QStringList{"sub"}));
    }
};

QTEST_MAIN(PreviewOrderTest)
#include "PreviewOrderTest.moc"
