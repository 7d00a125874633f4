#include "app/DialogUnits.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>

#include <algorithm>

namespace {

// Rounds to nearest, as MulDiv does.
int Scaled(long long value, long long numerator, long long denominator) {
    const long long product = value * numerator;
    return static_cast<int>(product >= 0 ? (product + denominator / 2) / denominator
                                         : -((-product + denominator / 2) / denominator));
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width is taken over the 52 letters, rounded, as dialog base units are.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int baseWidth = std::max((letters / 26 + 1) / 2, 1);
    const int baseHeight = std::max(metrics.height(), 1);
    xUnit64_ = baseWidth * 16;
    yUnit64_ = baseHeight * 8;
}

int DialogUnits::x(int dlu) const {
    return Scaled(dlu, xUnit64_, 64);
}

int DialogUnits::y(int dlu) const {
    return Scaled(dlu, yUnit64_, 64);
}

QRect DialogUnits::rect(int dx, int dy, int dw, int dh) const {
    const QPoint topLeft = point(dx, dy);
    return {topLeft, QPoint(x(dx + dw) - 1, y(dy + dh) - 1)};
}

DialogUnits DialogUnits::withXUnit64(int unit64) const {
    DialogUnits units = *this;
    units.xUnit64_ = std::max(unit64, 1);
    return units;
}

int DialogUnits::scaleX(int referencePixels) const {
    return Scaled(referencePixels, xUnit64_, 64LL * kReferenceBaseWidth / 4);
}

int DialogUnits::scaleY(int referencePixels) const {
    return Scaled(referencePixels, yUnit64_, 64LL * kReferenceBaseHeight / 8);
}

// --- Captions ------------------------------------------------------------------------------

QStringList CaptionTexts(const QWidget* widget, const QStringList& alternatives) {
    QStringList texts;
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        texts << button->text();
    } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
        texts << group->title();
    } else if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        texts << label->text();
    } else if (const auto* list = qobject_cast<const QComboBox*>(widget)) {
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
    }
    texts << alternatives;
    texts.removeAll(QString());
    texts.removeDuplicates();
    return texts;
}

namespace {

QStyleOptionButton ButtonOption(const QAbstractButton* button, QSize size) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = QRect(QPoint(0, 0), size);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    return option;
}

QStyleOptionGroupBox GroupOption(const QGroupBox* group, QSize size, const QString& title) {
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.rect = QRect(QPoint(0, 0), size);
    option.text = title;
    option.textAlignment = group->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.lineWidth = 1;
    return option;
}

}  // namespace

QRect TextRoom(const QWidget* widget, QSize size) {
    QStyle* style = widget->style();
    if (const auto* box = qobject_cast<const QCheckBox*>(widget)) {
        const QStyleOptionButton option = ButtonOption(box, size);
        return style->subElementRect(QStyle::SE_CheckBoxContents, &option, widget);
    }
    if (const auto* radio = qobject_cast<const QRadioButton*>(widget)) {
        const QStyleOptionButton option = ButtonOption(radio, size);
        return style->subElementRect(QStyle::SE_RadioButtonContents, &option, widget);
    }
    if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
        QStyleOptionButton option = ButtonOption(button, size);
        if (button->isDefault())
            option.features |= QStyleOptionButton::DefaultButton;
        if (button->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        return style->subElementRect(QStyle::SE_PushButtonContents, &option, widget);
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
        // The title may use the box's whole width; it is cut only at the box's edge.
        const QStyleOptionGroupBox option = GroupOption(group, size, group->title());
        const QRect label =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, widget);
        return {0, 0, size.width(), std::max(label.bottom() + 1, 0)};
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        // Frame and margins are the same at every size.
        const QRect contents = label->contentsRect();
        const QRect whole = label->rect();
        return QRect(QPoint(0, 0), size)
            .adjusted(contents.left() - whole.left(), contents.top() - whole.top(),
                      contents.right() - whole.right(), contents.bottom() - whole.bottom());
    }
    if (const auto* list = qobject_cast<const QComboBox*>(widget)) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        option.rect = QRect(QPoint(0, 0), size);
        option.editable = list->isEditable();
        option.frame = list->hasFrame();
        option.subControls = QStyle::SC_All;
        return style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                     widget);
    }
    return {};
}

QSize TextNeed(const QWidget* widget, const QString& text) {
    const QFontMetrics metrics = widget->fontMetrics();
    if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
        const QStyleOptionGroupBox option = GroupOption(group, group->size(), text);
        const QRect label = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                           QStyle::SC_GroupBoxLabel, widget);
        return {label.right() + 1 + std::max(label.left(), 0), label.bottom() + 1};
    }
    const bool mnemonic = qobject_cast<const QAbstractButton*>(widget) != nullptr;
    return metrics.size(mnemonic ? Qt::TextShowMnemonic : Qt::TextSingleLine, text);
}

namespace {

using TextTable = std::vector<std::pair<const QWidget*, QStringList>>;

QStringList TextsOf(const QWidget* widget, const TextTable& extra) {
    QStringList alternatives;
    for (const auto& [owner, texts] : extra)
        if (owner == widget)
            alternatives << texts;
    return CaptionTexts(widget, alternatives);
}

// Whether every text of every item fits the width of its room with `units`.
bool AllFit(const DialogUnits& units, const std::vector<DialogItem>& items,
            const TextTable& extra) {
    for (const DialogItem& item : items) {
        const QStringList texts = TextsOf(item.widget, extra);
        if (texts.isEmpty())
            continue;
        const QRect placed =
            units.rect(item.dlu.x(), item.dlu.y(), item.dlu.width(), item.dlu.height());
        const QRect room = TextRoom(item.widget, placed.size());
        for (const QString& text : texts) {
            const QSize need = TextNeed(item.widget, text);
            if (need.width() > room.width())
                return false;
        }
    }
    return true;
}

}  // namespace

DialogUnits FitCaptions(const DialogUnits& base, const std::vector<DialogItem>& items,
                        const TextTable& texts) {
    // A first guess from each item's fixed overhead (indicator, bevel, margins), which does
    // not grow with the control; then the exact pixels decide, a 64th of a pixel at a time.
    int unit64 = base.xUnit64();
    for (const DialogItem& item : items) {
        const QStringList captions = TextsOf(item.widget, texts);
        if (captions.isEmpty() || item.dlu.width() <= 0)
            continue;
        const QSize placed = base.size(item.dlu.width(), item.dlu.height());
        const int overhead = placed.width() - TextRoom(item.widget, placed).width();
        for (const QString& text : captions) {
            const long long need = TextNeed(item.widget, text).width() + overhead;
            unit64 = std::max(
                unit64, static_cast<int>((need * 64 + item.dlu.width() - 1) / item.dlu.width()));
        }
    }
    DialogUnits units = base.withXUnit64(unit64);
    for (int step = 0; step < 64 * 64 && !AllFit(units, items, texts); ++step)
        units = units.withXUnit64(units.xUnit64() + 1);
    return units;
}

void PlaceItems(const DialogUnits& units, const std::vector<DialogItem>& items) {
    for (const DialogItem& item : items)
        item.widget->setGeometry(
            units.rect(item.dlu.x(), item.dlu.y(), item.dlu.width(), item.dlu.height()));
}
