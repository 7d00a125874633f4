#include "app/MarkedNameDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

PreviewModel::Marks MarkedNameDelegate::MarksInShown(const QString& text, const QString& shown,
                                                     const PreviewModel::Marks& marks) {
    if (shown == text)
        return marks;
    // The ellipsis that stands for the cut: the name may hold one of its own.
    qsizetype ellipsis = shown.indexOf(QChar(0x2026));
    while (ellipsis >= 0 &&
           !(text.startsWith(shown.left(ellipsis)) && text.endsWith(shown.mid(ellipsis + 1))))
        ellipsis = shown.indexOf(QChar(0x2026), ellipsis + 1);
    if (ellipsis < 0)
        return {};
    // `kept` units of the start, the ellipsis, then the end of `text` from `tail` on.
    const int kept = static_cast<int>(ellipsis);
    const int tail = static_cast<int>(text.size() - (shown.size() - ellipsis - 1));
    PreviewModel::Marks inShown;
    for (const PreviewModel::Mark& mark : marks) {
        const int end = mark.begin + mark.size;
        if (mark.begin < kept)
            inShown.push_back({mark.begin, std::min(end, kept) - mark.begin});
        if (end > tail) {
            const int begin = std::max(mark.begin, tail);
            inShown.push_back({kept + 1 + begin - tail, end - begin});
        }
    }
    return inShown;
}

void MarkedNameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const auto marks = index.data(PreviewModel::kMarksRole).value<PreviewModel::Marks>();
    if (marks.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    // The cell's background, selection and focus as the style paints them, without text.
    item.text.clear();
    const QWidget* widget = item.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    room.adjust(margin, 0, -margin, 0);
    if (room.width() <= 0)
        return;

    // Cut by the bold font's widths, which are never narrower than the mixed text's.
    QFont bold = item.font;
    bold.setBold(true);
    QString shown = QFontMetrics(bold).elidedText(text, Qt::ElideMiddle, room.width());
    // Nothing of it fits but the ellipsis: painted whole, and clipped.
    if (shown.size() <= 1)
        shown = text;
    const PreviewModel::Marks shownMarks = MarksInShown(text, shown, marks);

    const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (item.state & QStyle::State_Active) ? QPalette::Normal
                                                                             : QPalette::Inactive;
    const bool selected = (item.state & QStyle::State_Selected) != 0;
    QTextCharFormat marked;
    marked.setFontWeight(QFont::Bold);
    if (!selected) {
        QColor tint = item.palette.color(group, QPalette::Highlight);
        tint.setAlpha(56);
        marked.setBackground(tint);
    }
    QList<QTextLayout::FormatRange> formats;
    for (const PreviewModel::Mark& mark : shownMarks)
        formats.push_back({mark.begin, mark.size, marked});

    QTextLayout layout(shown, item.font);
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (!line.isValid()) {
        layout.endLayout();
        return;
    }
    line.setLineWidth(room.width());
    layout.endLayout();

    painter->save();
    painter->setClipRect(room);
    painter->setPen(
        item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    layout.draw(painter, QPointF(room.left(), room.top() + (room.height() - line.height()) / 2.0));
    painter->restore();
}
