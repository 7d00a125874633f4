#pragma once

#include <QStyledItemDelegate>

// Paints the Preview's "New Name" cells with the parts the regular expression replaced in
// bold on a light tint of the palette's highlight, readable in light and dark palettes
// alike; a cell without marks is painted as any other. A name too long for its cell is cut
// in its middle, as the list cuts the others, and keeps the marks of what is left.
class MarkedNameDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
