#include "app/OutputLogModel.h"

#include <QIcon>

#include "app/AppResources.h"
#include "app/QtText.h"

const char* const OutputLogModel::kColumnTitles[kColumns] = {
    "Input File", "Output File (Exceptions)", "#", "Folder (New Folder)"};

OutputLogModel::OutputLogModel(QObject* parent) : QAbstractTableModel(parent) {
    const QPixmap strip = RowImageStrip();
    for (int i = 0; i < static_cast<int>(images_.size()); ++i)
        images_[static_cast<std::size_t>(i)] = strip.copy(i * 14, 0, 14, 14);
}

void OutputLogModel::Append(const brindle::OutputRow& row) {
    const int at = static_cast<int>(store_.size());
    beginInsertRows(QModelIndex(), at, at);
    store_.Append(row);
    endInsertRows();
}

void OutputLogModel::RemoveAll() {
    beginResetModel();
    store_.Clear();
    endResetModel();
}

void OutputLogModel::SortRows(int column, int direction) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    store_.Sort(column, direction);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const QPixmap& OutputLogModel::image(int index) const {
    static const QPixmap none;
    if (index < 0 || index >= static_cast<int>(images_.size()))
        return none;
    return images_[static_cast<std::size_t>(index)];
}

int OutputLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(store_.size());
}

int OutputLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant OutputLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumns)
        return {};
    const brindle::OutputRow& row = store_.at(static_cast<std::size_t>(index.row()));
    switch (role) {
        case Qt::DisplayRole:
            return ToQString(row.text(index.column()));
        case Qt::DecorationRole:
            if (index.column() == brindle::kColumnInput)
                return image(row.image);
            return {};
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        default:
            return {};
    }
}

QVariant OutputLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(kColumnTitles[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}
