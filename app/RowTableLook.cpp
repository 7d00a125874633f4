#include "app/RowTableLook.h"

#include <QHeaderView>
#include <QString>
#include <QTableView>

#include <algorithm>

void PrepareRowTable(QTableView* list) {
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(false);
    list->setWordWrap(false);
    list->setIconSize(QSize(14, 14));
    list->verticalHeader()->hide();
    list->verticalHeader()->setDefaultSectionSize(std::max(list->fontMetrics().height() + 2, 16));
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QVariant RowTableHeader(std::span<const char* const> titles, int section,
                        Qt::Orientation orientation, int role) {
    if (orientation != Qt::Horizontal || section < 0 ||
        static_cast<std::size_t>(section) >= titles.size())
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(titles[static_cast<std::size_t>(section)]);
    if (role == Qt::TextAlignmentRole)
        return RowTableAlignment();
    return {};
}

QVariant RowTableAlignment() {
    return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
}
