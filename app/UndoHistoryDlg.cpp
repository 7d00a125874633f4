#include "app/UndoHistoryDlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "app/QtText.h"

namespace {

constexpr const char* kTitles[UndoHistoryModel::kColumns] = {"When", "First Folder", "Renamed",
                                                             "State"};

}  // namespace

void UndoHistoryModel::SetBatches(std::vector<brindle::LoggedBatch> batches) {
    beginResetModel();
    batches_ = std::move(batches);
    endResetModel();
}

const brindle::LoggedBatch& UndoHistoryModel::batch(int row) const {
    return batches_[batches_.size() - 1 - static_cast<std::size_t>(row)];
}

std::size_t UndoHistoryModel::LeftToUndoFrom(int row) const {
    std::size_t left = 0;
    for (int newer = 0; newer <= row && newer < rowCount(); ++newer)
        left += batch(newer).leftToUndo();
    return left;
}

int UndoHistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(batches_.size());
}

int UndoHistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant UndoHistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const brindle::LoggedBatch& b = batch(index.row());
    if (role == Qt::ToolTipRole)
        return ToQString(brindle::DescribeBatch(b));
    if (role == Qt::TextAlignmentRole && index.column() == 2)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
        case 0:
            return ToQString(brindle::BatchWhenText(b));
        case 1:
            return ToQString(b.firstFolder);
        case 2:
            return QString::number(b.renamed);
        default:
            break;
    }
    if (b.renamed == 0)
        return QStringLiteral("nothing renamed");
    if (b.undone == b.renamed)
        return QStringLiteral("undone");
    if (b.undone == 0)
        return QStringLiteral("renamed");
    return QStringLiteral("%1 undone").arg(b.undone);
}

QVariant UndoHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kColumns)
        return {};
    return QString::fromLatin1(kTitles[section]);
}

UndoHistoryDlg::UndoHistoryDlg(QWidget* owner)
    : QWidget(owner, Qt::Window),
      model_(new UndoHistoryModel(this)),
      list_(new QTableView(this)),
      note_(new QLabel(this)),
      undo_(new QPushButton(QStringLiteral("&Undo to Here"), this)),
      close_(new QPushButton(QStringLiteral("&Close"), this)) {
    setObjectName(QStringLiteral("UndoHistoryDlg"));
    setWindowTitle(QStringLiteral("Undo History"));
    list_->setModel(model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->horizontalHeader()->resizeSection(0, 150);
    list_->horizontalHeader()->resizeSection(1, 300);
    list_->horizontalHeader()->resizeSection(2, 70);
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
    note_->setText(QStringLiteral(
        "\"Undo to Here\" takes back the chosen batch together with every newer one."));
    undo_->setToolTip(QStringLiteral("Undo the chosen batch and every newer one"));
    for (QPushButton* button : {undo_, close_})
        button->setAutoDefault(false);
    undo_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(undo_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(note_);
    layout->addLayout(buttons);
    resize(680, 300);

    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &UndoHistoryDlg::UpdateButton);
    connect(model_, &QAbstractItemModel::modelReset, this, &UndoHistoryDlg::UpdateButton);
    connect(undo_, &QPushButton::clicked, this, &UndoHistoryDlg::OnUndo);
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
}

void UndoHistoryDlg::SetBatches(std::vector<brindle::LoggedBatch> batches, const QString& problem) {
    // The same batch stays chosen across a refresh, where it is still there.
    QString chosen;
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        chosen = ToQString(model_->batch(rows.front().row()).key);
    const bool hadChoice = !rows.isEmpty();
    model_->SetBatches(std::move(batches));
    if (!problem.isEmpty())
        note_->setText(problem);
    else if (model_->rowCount() == 0)
        note_->setText(QStringLiteral("The log holds no batch."));
    else
        note_->setText(QStringLiteral(
            "\"Undo to Here\" takes back the chosen batch together with every newer one."));
    for (int row = 0; hadChoice && row < model_->rowCount(); ++row) {
        if (ToQString(model_->batch(row).key) == chosen) {
            SelectRow(row);
            break;
        }
    }
    UpdateButton();
}

void UndoHistoryDlg::SelectRow(int row) {
    list_->selectRow(row);
}

void UndoHistoryDlg::UpdateButton() {
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    undo_->setEnabled(!rows.isEmpty() && model_->LeftToUndoFrom(rows.front().row()) > 0);
}

void UndoHistoryDlg::OnUndo() {
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    emit undoRequested(ToQString(model_->batch(rows.front().row()).key));
}
