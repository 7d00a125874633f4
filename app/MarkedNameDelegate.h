#pragma once

#include <QStyledItemDelegate>

#include "app/PreviewModel.h"

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

    // The marks of `text` as they fall in `shown`: `text` itself, or its start and its end
    // around an ellipsis, as the cell cuts a long name.
    static PreviewModel::Marks MarksInShown(const QString& text, const QString& shown,
                                            const PreviewModel::Marks& marks);
};
