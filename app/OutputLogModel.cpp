#include "app/OutputLogModel.h"

#include <QIcon>

#include "app/AppResources.h"
#include "app/QtText.h"
#include "app/RowTableLook.h"

OutputLogModel::OutputLogModel(QObject* parent)
    : QAbstractTableModel(parent), images_(RowImages()) {}

void OutputLogModel::Append(const brindle::RowData& row) {
    store_.Append(row);
}

void OutputLogModel::Publish() {
    const int size = static_cast<int>(store_.size());
    if (size == published_)
        return;
    beginInsertRows(QModelIndex(), published_, size - 1);
    published_ = size;
    endInsertRows();
}

void OutputLogModel::RemoveAll() {
    beginResetModel();
    store_.Clear();
    published_ = 0;
    endResetModel();
}

void OutputLogModel::SortRows(int column, int direction) {
    Publish();
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
    return parent.isValid() ? 0 : published_;
}

int OutputLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant OutputLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumns)
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return ToQString(store_.text(row, index.column()));
        case Qt::DecorationRole:
            if (index.column() == brindle::kColumnInput)
                return image(store_.image(row));
            return {};
        case Qt::TextAlignmentRole:
            return RowTableAlignment();
        case Qt::ToolTipRole: {
            // A failed row tells why, whole, wherever the pointer rests on it: its column
            // may be scrolled out of sight or too narrow.
            const std::u16string reason = store_.reason(row);
            if (reason.empty())
                return {};
            return ToQString(reason);
        }
        default:
            return {};
    }
}

QVariant OutputLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    return RowTableHeader(kColumnTitles, section, orientation, role);
}
