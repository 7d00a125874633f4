// The Output Log window: a tool window without a close button that ignores Escape, its
// list over the row store, header sorting that reorders the store itself, and its layout.
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTest>

#include <cstdlib>
#include <memory>

#include "MainDialogFixture.h"
#include "app/AppResources.h"
#include "app/CBrindleDlg.h"
#include "app/COutputDlg.h"
#include "app/OutputLogModel.h"

using namespace apptest;

class OutputDlgTest : public QObject, MainDialogFixture {
    Q_OBJECT

private:
    COutputDlg* out_ = nullptr;

    void Add(const char* input, const char* count, brindle::RowMark mark = brindle::RowMark::Note) {
        const std::u16string name = QString(input).toStdU16String();
        const std::u16string output = name + u"!";
        brindle::RowData row;
        row.mark = mark;
        row.input = name;
        row.output = output;
        row.countShown = *count != '\0';
        row.count = std::atoi(count);
        row.folder = u"/f/";
        dlg_->AddOutputRow(row);
    }
    QStringList Column(int column) const { return OutputColumn(out_, column); }
    void ClickHeader(int column) {
        QHeaderView* header = out_->list()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void init() {
        SetUp();
        WriteIni("[config]\nShow Log Window = 1\n");
        out_ = ShowDialog().outputDlg();
        QVERIFY(QTest::qWaitForWindowExposed(out_));
    }
    void cleanup() { TearDown(); }

    void windowKind() {
        QCOMPARE(out_->windowTitle(), QString("Output Log"));
        QCOMPARE(out_->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(!(out_->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(out_->windowFlags() & Qt::WindowSystemMenuHint));
        QVERIFY(out_->minimumSize() != out_->maximumSize());
        QCOMPARE(out_->parentWidget(), dlg_.get());
    }

    void escapeAndCloseLeaveItOpen() {
        QTest::keyClick(out_->list(), Qt::Key_Escape);
        QTest::keyClick(out_, Qt::Key_Escape);
        QVERIFY(out_->isVisible());
        QVERIFY(!out_->close());
        QVERIFY(out_->isVisible());
        QVERIFY(dlg_->isVisible());
    }

    void listSetUp() {
        QTableView* list = out_->list();
        QCOMPARE(list->objectName(), QString("1015"));
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        // The design's four, then why a row failed.
        const char* titles[] = {"Input File", "Output File (Exceptions)", "#",
                                "Folder (New Folder)", "Reason"};
        // Pixels for base units of 6 x 13, grown with the dialog's units.
        const int widths[] = {136, 136, 25, 230, 230};
        const DialogUnits& units = dlg_->units();
        QCOMPARE(list->model()->columnCount(), 5);
        for (int c = 0; c < 5; ++c) {
            QCOMPARE(list->model()->headerData(c, Qt::Horizontal).toString(), QString(titles[c]));
            QCOMPARE(list->horizontalHeader()->sectionSize(c),
                     (widths[c] * units.xUnit64() + 48) / 96);
            QCOMPARE(list->model()
                             ->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole)
                             .value<Qt::Alignment>() &
                         Qt::AlignHorizontal_Mask,
                     Qt::AlignLeft);
        }
        QCOMPARE(out_->statusText(),
                 QString("Total files: 0 | Changed files: 0 | Average Input length: 0 | Average "
                         "Output length: 0 | Exceptions: 0"));
        QCOMPARE(out_->statusLine()->frameShadow(), QFrame::Sunken);
        // The list is the view over the store, with no sorting proxy between them.
        QCOMPARE(list->model(), out_->model());
    }

    void rowImagesComeFromTheStrip() {
        Add("a", "1", brindle::RowMark::Note);
        Add("b", "", brindle::RowMark::Error);
        const QImage strip = RowImageStrip().toImage();
        QCOMPARE(strip.size(), QSize(42, 14));
        for (int row = 0; row < 2; ++row) {
            const QModelIndex index = out_->model()->index(row, 0);
            const QImage shown = index.data(Qt::DecorationRole).value<QPixmap>().toImage();
            const int image = row == 0 ? 1 : 2;
            QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32),
                     strip.copy(image * 14, 0, 14, 14).convertToFormat(QImage::Format_ARGB32));
        }
        // Transparent around the pictures: a corner of each image lets the row show through.
        for (int image = 0; image < 3; ++image)
            QCOMPARE(qAlpha(strip.pixel(image * 14, 0)), 0);
        // Three different pictures: green, yellow and red in their middles.
        const QRgb check = strip.pixel(9, 7), warn = strip.pixel(14 + 4, 11),
                   cross = strip.pixel(28 + 7, 7);
        QVERIFY(qGreen(check) > 2 * qRed(check));
        QVERIFY(qRed(warn) > 200 && qGreen(warn) > 150 && qBlue(warn) < 80);
        QVERIFY(qRed(cross) > 2 * qGreen(cross));
    }

    void sorting_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QStringList>("counts");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QStringList>("expected");  // of the sort column
        QTest::newRow("# ascending by value, empty first")
            << 2 << QStringList{"a", "b", "c", "d"} << QStringList{"12", "", "100", "5"} << 1
            << QStringList{"", "5", "12", "100"};
        QTest::newRow("# second click descends")
            << 2 << QStringList{"a", "b", "c", "d"} << QStringList{"12", "", "100", "5"} << 2
            << QStringList{"100", "12", "5", ""};
        QTest::newRow("# third click ascends again")
            << 2 << QStringList{"a", "b", "c", "d"} << QStringList{"12", "", "100", "5"} << 3
            << QStringList{"", "5", "12", "100"};
        QTest::newRow("input ignores letter case")
            << 0 << QStringList{"b.txt", "A.txt", "a.txt"} << QStringList{"1", "2", "3"} << 1
            << QStringList{"A.txt", "a.txt", "b.txt"};
        QTest::newRow("empty list") << 0 << QStringList{} << QStringList{} << 1 << QStringList{};
    }
    void sorting() {
        QFETCH(int, column);
        QFETCH(QStringList, inputs);
        QFETCH(QStringList, counts);
        QFETCH(int, clicks);
        QFETCH(QStringList, expected);
        for (int i = 0; i < inputs.size(); ++i)
            Add(inputs[i].toUtf8().constData(), counts[i].toUtf8().constData());
        for (int i = 0; i < clicks; ++i)
            ClickHeader(column);
        QCOMPARE(Column(column), expected);
        QHeaderView* header = out_->list()->horizontalHeader();
        QCOMPARE(header->sortIndicatorSection(), column);
        QCOMPARE(header->sortIndicatorOrder(),
                 clicks % 2 ? Qt::AscendingOrder : Qt::DescendingOrder);
        QCOMPARE(out_->sortDirection(), clicks % 2 ? 1 : -1);
        // The view shows the store's order.
        for (int row = 0; row < expected.size(); ++row)
            QCOMPARE(out_->model()->index(row, column).data().toString(), expected[row]);
    }

    void anotherColumnSortsAscendingAndMovesTheMark() {
        Add("b", "2");
        Add("a", "1");
        ClickHeader(2);
        ClickHeader(2);
        ClickHeader(0);
        QCOMPARE(out_->list()->horizontalHeader()->sortIndicatorSection(), 0);
        QCOMPARE(out_->sortDirection(), 1);
        QCOMPARE(Column(0), (QStringList{"a", "b"}));
        // Titles never change.
        QCOMPARE(out_->model()->headerData(2, Qt::Horizontal).toString(), QString("#"));
    }

    void rowAddedAfterASortGoesToTheBottom() {
        Add("c", "3");
        Add("a", "1");
        ClickHeader(0);
        Add("b", "2");
        QCOMPARE(Column(0), (QStringList{"a", "c", "b"}));
        QCOMPARE(out_->model()->index(2, 0).data().toString(), QString("b"));
    }

    void sizeKeepsTheStatusBand() {
        // 15 pixels for base units of 6 x 13, grown with the units, and never lower than
        // the status line's text; the line's last pixel row lies just below the window.
        const int band = out_->statusBand();
        QCOMPARE(band, std::max((15 * dlg_->units().yUnit64() + 52) / 104,
                                out_->statusLine()->fontMetrics().height() + 2));
        out_->resize(500, 300);
        QCOMPARE(out_->list()->geometry(), QRect(0, 0, 500, 300 - band));
        QCOMPARE(out_->statusLine()->geometry(), QRect(0, 300 - band, 500, band + 1));
        out_->resize(200, 100);
        QCOMPARE(out_->list()->geometry(), QRect(0, 0, 200, 100 - band));
        QCOMPARE(out_->statusLine()->geometry(), QRect(0, 100 - band, 200, band + 1));
    }

    void removeAllEmptiesTheStore() {
        Add("a", "1");
        Add("b", "2");
        dlg_->RemoveAllRows();
        QCOMPARE(out_->model()->rowCount(), 0);
        QVERIFY(out_->model()->store().empty());
    }
};

QTEST_MAIN(OutputDlgTest)
#include "OutputDlgTest.moc"
