// "Regular Expression" in the windows: a mistake in the expression or its replacement shown
// in the Preview's summary and refused by "Choose Folder" and drops with the cursor put at
// its place, and the Preview's marks of what the expression replaced, in the "New Name"
// cell or, when a later stage changed the name again, in the row's tooltip.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "MainDialogFixture.h"
#include "app/CBrindleDlg.h"
#include "app/COutputDlg.h"
#include "app/CPreviewDlg.h"
#include "app/ControlIds.h"
#include "app/MarkedNameDelegate.h"
#include "app/OutputLogModel.h"
#include "app/PreviewModel.h"
#include "engine/RegexReplace.h"
#include "platform/NameCodec.h"

using namespace apptest;

namespace {

constexpr int kWait = 10000;

QString Marked(const PreviewModel::Marks& marks) {
    QStringList parts;
    for (const PreviewModel::Mark& mark : marks)
        parts << QStringLiteral("%1+%2").arg(mark.begin).arg(mark.size);
    return parts.join(' ');
}

}  // namespace

class RegexWindowTest : public QObject, MainDialogFixture {
    Q_OBJECT

private:
    void Open() {
        WriteIni("[config]\nRegular Expression = 1\n");
        ShowDialog();
    }
    void SetReplace(const QString& what, const QString& with) {
        Edit(ids::kReplaceWhat)->setText(what);
        Edit(ids::kReplaceWith)->setText(with);
    }
    CPreviewDlg* OpenPreview(const std::string& relative) {
        QTest::mouseClick(Ctl(ids::kPreview), Qt::LeftButton);
        CPreviewDlg* preview = dlg_->previewDlg();
        if (!preview)
            return nullptr;
        services_->folder = brindle::DecodeName(folder_->path(relative).toStdString());
        QTest::mouseClick(preview->findChild<QWidget*>(QString::number(ids::kPreviewChoose)),
                          Qt::LeftButton);
        return preview;
    }
    static bool Settled(CPreviewDlg* preview) {
        return QTest::qWaitFor([preview] { return preview->upToDate(); }, kWait);
    }

private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    // A mistake in either text: the Preview's summary quotes it, and "Choose Folder" and a
    // drop refuse with the same words, the cursor of the edit that holds it at its place.
    void aMistakeIsShownRefusedAndPointedAt_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("with");
        QTest::addColumn<bool>("inReplacement");
        QTest::addColumn<int>("offset");
        QTest::addColumn<bool>("byDrop");
        QTest::newRow("unclosed group") << "^IMG_(\\d+"
                                        << "Photo-$1" << false << 9 << false;
        QTest::newRow("unclosed group, dropped") << "^IMG_(\\d+"
                                                 << "x" << false << 9 << true;
        QTest::newRow("missing group") << "^IMG_(\\d+)"
                                       << "Photo-$2" << true << 6 << false;
        QTest::newRow("missing named group, dropped") << "(?<n>\\d+)"
                                                      << "a${m}" << true << 1 << true;
    }
    void aMistakeIsShownRefusedAndPointedAt() {
        QFETCH(QString, what);
        QFETCH(QString, with);
        QFETCH(bool, inReplacement);
        QFETCH(int, offset);
        QFETCH(bool, byDrop);
        folder_->temp().createFiles({"r/IMG_0042.jpg"});
        Open();
        CPreviewDlg* preview = OpenPreview("r");
        QVERIFY(preview);
        QVERIFY(Settled(preview));
        SetReplace(what, with);

        brindle::RenameSettings settings = dlg_->settings();
        settings.replaceWhat = FromQString(what);
        settings.replaceWith = FromQString(with);
        const std::optional<brindle::RegexError> mistake =
            brindle::CheckRegularExpression(settings);
        QVERIFY(mistake);
        QCOMPARE(mistake->inReplacement, inReplacement);
        QCOMPARE(static_cast<int>(mistake->offset), offset);
        const QString text = ToQString(
            brindle::RegexErrorText(*mistake, settings.replaceWhat, settings.replaceWith));
        QVERIFY(text.contains(inReplacement ? with.left(offset) : what.left(offset)));

        QTRY_COMPARE_WITH_TIMEOUT(preview->summaryLine()->text(), text, kWait);
        QVERIFY(Settled(preview));
        QVERIFY(preview->summaryLine()->isVisible());
        QCOMPARE(preview->model()->rowCount(), 0);
        QVERIFY(!preview->renameButton()->isEnabled());

        // Straight to a batch: the Preview is closed and "Preview First" off.
        preview->close();
        Edit(ids::kNamePattern)->setFocus();
        if (byDrop) {
            dlg_->OnDropFiles({brindle::DecodeName(folder_->path("r/IMG_0042.jpg").toStdString())});
        } else {
            services_->folder = brindle::DecodeName(folder_->path("r").toStdString());
            QTest::mouseClick(Ctl(ids::kChooseFolder), Qt::LeftButton);
        }
        QCOMPARE(services_->boxes.size(), std::size_t(1));
        QCOMPARE(services_->boxes[0].text, text);
        QCOMPARE(services_->boxes[0].icon, BoxIcon::Warning);
        QVERIFY(folder_->temp().exists("r/IMG_0042.jpg"));
        QCOMPARE(dlg_->outputDlg()->model()->rowCount(), 0);
        QLineEdit* edit = Edit(inReplacement ? ids::kReplaceWith : ids::kReplaceWhat);
        QCOMPARE(dlg_->focusWidget(), edit);
        QCOMPARE(edit->cursorPosition(), offset);
        QVERIFY(!edit->hasSelectedText());
    }

    // A name cut in its middle keeps the marks of what is left, moved past the ellipsis.
    void marksFollowTheCut_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("marks");
        QTest::addColumn<QString>("expected");
        const QString name = "Photo-0042_and_0043.jpg";
        QTest::newRow("whole") << name << name << "6+4 15+4"
                               << "6+4 15+4";
        QTest::newRow("cut between the marks") << name << "Photo-0042_\u2026043.jpg"
                                               << "6+4 15+4"
                                               << "6+4 12+3";
        QTest::newRow("a mark cut through") << name << "Photo-00\u2026043.jpg"
                                            << "6+4 15+4"
                                            << "6+2 9+3";
        QTest::newRow("a mark cut away") << name << "Pho\u2026.jpg"
                                         << "6+4 15+4"
                                         << "";
        QTest::newRow("an ellipsis of the name's own") << "Photo\u2026 and more.jpg"
                                                       << "Photo\u2026\u2026.jpg"
                                                       << "0+5"
                                                       << "0+5";
    }
    void marksFollowTheCut() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QFETCH(QString, marks);
        QFETCH(QString, expected);
        PreviewModel::Marks given;
        for (const QString& mark : marks.split(' ', Qt::SkipEmptyParts))
            given.push_back({mark.section('+', 0, 0).toInt(), mark.section('+', 1, 1).toInt()});
        QCOMPARE(Marked(MarkedNameDelegate::MarksInShown(text, shown, given)), expected);
    }

    // Marks in the cell where the new name is the replace's own; else in the row's tooltip,
    // in bold; none where nothing matched, or without a regular expression.
    void theReplacedPartsAreMarked() {
        folder_->temp().createFiles({"k/IMG_0042.jpg", "k/IMG_0100_IMG_8.jpg", "k/holiday.jpg"});
        Open();
        CPreviewDlg* preview = OpenPreview("k");
        QVERIFY(preview);
        QVERIFY(Settled(preview));
        QVERIFY(qobject_cast<MarkedNameDelegate*>(
            preview->list()->itemDelegateForColumn(PreviewModel::kNewName)));
        PreviewModel* model = preview->model();
        const auto marksOf = [model] {
            QStringList marks;
            for (int row = 0; row < model->rowCount(); ++row)
                marks << Marked(
                    model->data(model->index(row, PreviewModel::kNewName), PreviewModel::kMarksRole)
                        .value<PreviewModel::Marks>());
            return marks;
        };

        SetReplace("IMG_(\\d+)", "P$1");
        QTRY_COMPARE_WITH_TIMEOUT(PreviewColumn(model, PreviewModel::kNewName),
                                  (QStringList{"holiday.jpg", "P0042.jpg", "P0100_P8.jpg"}), kWait);
        QVERIFY(Settled(preview));
        QCOMPARE(marksOf(), (QStringList{"", "0+5", "0+5 6+2"}));
        // Painted with its marks, in every state of the cell.
        preview->list()->selectRow(2);
        preview->list()->viewport()->repaint();

        // A case escape; the replacement longer than what it replaced.
        SetReplace("^([a-z]+)", "\\u$1!");
        QTRY_COMPARE_WITH_TIMEOUT(
            PreviewColumn(model, PreviewModel::kNewName),
            (QStringList{"Holiday!.jpg", "IMG_0042.jpg", "IMG_0100_IMG_8.jpg"}), kWait);
        QVERIFY(Settled(preview));
        QCOMPARE(marksOf(), (QStringList{"0+8", "", ""}));

        // A name pattern after the replace changes the name again: the tooltip says what
        // the replace made.
        SetReplace("IMG_(\\d+)", "P$1");
        Edit(ids::kNamePattern)->setText(QStringLiteral("x_/O"));
        QTRY_VERIFY_WITH_TIMEOUT(
            PreviewColumn(model, PreviewModel::kNewName).value(1) != "P0042.jpg", kWait);
        QVERIFY(Settled(preview));
        QCOMPARE(marksOf(), (QStringList{"", "", ""}));
        const QString tip =
            model->data(model->index(1, PreviewModel::kNewName), Qt::ToolTipRole).toString();
        QVERIFY2(tip.contains("After the replace: <b>P0042</b>.jpg"), qPrintable(tip));
        QCOMPARE(model->data(model->index(0, PreviewModel::kNewName), Qt::ToolTipRole).toString(),
                 PreviewColumn(model, PreviewModel::kNewName).value(0));

        // Plain replace: the same texts mark nothing.
        Edit(ids::kNamePattern)->clear();
        QTest::mouseClick(Check(ids::kRegularExpression), Qt::LeftButton);
        SetReplace("IMG_", "P");
        QTRY_COMPARE_WITH_TIMEOUT(PreviewColumn(model, PreviewModel::kNewName),
                                  (QStringList{"holiday.jpg", "P0042.jpg", "P0100_P8.jpg"}), kWait);
        QVERIFY(Settled(preview));
        QCOMPARE(marksOf(), (QStringList{"", "", ""}));
    }
};

QTEST_MAIN(RegexWindowTest)
#include "RegexWindowTest.moc"
