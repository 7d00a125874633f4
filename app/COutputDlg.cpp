#include "app/COutputDlg.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>

#include <algorithm>

#include "app/ControlId.h"
#include "app/ControlIds.h"
#include "app/DialogUnits.h"
#include "app/OutputLogModel.h"
#include "app/QtText.h"
#include "app/RowTableLook.h"
#include "batch/Messages.h"
#include "batch/RowData.h"

namespace {

// The band at the bottom that holds the status line, for base units of 6 x 13.
constexpr int kStatusBand = 15;

}  // namespace

COutputDlg::COutputDlg(QWidget* owner, const DialogUnits& units)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      list_(new QTableView(this)),
      statusLine_(new QLabel(this)),
      model_(new OutputLogModel(this)),
      units_(units) {
    setObjectName(QStringLiteral("COutputDlg"));
    setWindowTitle(QString::fromUtf16(brindle::kTitleOutputLog));
    SetControlId(list_, ids::kOutputList);
    SetControlId(statusLine_, ids::kOutputStatus);
    statusLine_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    statusLine_->setTextFormat(Qt::PlainText);
    list_->setModel(model_);

    resize(openingSize());
    OnSize();
}

QSize COutputDlg::openingSize() const {
    return units_.size(354, 106).expandedTo(smallestSize());
}

QSize COutputDlg::smallestSize() const {
    // Half of the design's size, and wide enough for the totals of a long batch.
    brindle::BatchStats large;
    large.totalFiles = large.changedFiles = large.exceptions = 999999;
    large.maxInputLength = large.maxOutputLength = 999;
    const int totals =
        statusLine_->fontMetrics().horizontalAdvance(ToQString(brindle::FormatStatus(large))) +
        2 * statusLine_->frameWidth() + 2 * statusLine_->margin() + 4;
    return units_.size(177, 53).expandedTo(QSize(totals, 0));
}

void COutputDlg::PrepareList() {
    PrepareRowTable(list_);
    QHeaderView* header = list_->horizontalHeader();
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(1);
    header->setHighlightSections(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    // The widths were given in pixels for base units of 6 x 13; they grow with the units.
    for (int column = 0; column < OutputLogModel::kColumns; ++column)
        header->resizeSection(column, units_.scaleX(OutputLogModel::kColumnWidths[column]));
    connect(header, &QHeaderView::sectionClicked, this, &COutputDlg::OnColumnClick);
}

int COutputDlg::statusBand() const {
    // Never lower than the status line's text.
    return std::max(units_.scaleY(kStatusBand), statusLine_->fontMetrics().height() + 2);
}

void COutputDlg::SetStatus(const QString& text) {
    statusText_ = text;
    statusLine_->setText(text);
    statusLine_->update();
}

void COutputDlg::OnColumnClick(int column) {
    if (column < 0 || column >= OutputLogModel::kColumns)
        return;
    sortDirection_ = column == sortColumn_ ? -sortDirection_ : 1;
    list_->clearSelection();
    model_->SortRows(column, sortDirection_);
    // The header shows the mark of this column only; the titles stay as they are.
    list_->horizontalHeader()->setSortIndicator(
        column, sortDirection_ == 1 ? Qt::AscendingOrder : Qt::DescendingOrder);
    sortColumn_ = column;
}

void COutputDlg::closeEvent(QCloseEvent* event) {
    // Only "Open/Close Log" hides the window.
    event->ignore();
}

void COutputDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void COutputDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    OnSize();
}

void COutputDlg::OnSize() {
    const int w = width();
    const int h = height();
    // The status line's last pixel row lies just below the client area.
    const int band = statusBand();
    list_->setGeometry(0, 0, w, h - band);
    statusLine_->setGeometry(0, h - band, w, band + 1);
    list_->update();
    statusLine_->update();
}
