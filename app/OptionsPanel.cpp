#include "app/OptionsPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "app/ControlId.h"
#include "app/ControlIds.h"
#include "app/OptionBindings.h"
#include "app/QtText.h"

namespace table = brindle::options;

namespace {

QString Text(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// A choice the user may type into: one of the list's texts, a value's word, or the text
// the choice also takes. Anything else is kept as that text too, so that the plan says
// what is wrong with it rather than passing over it.
void SaveTyped(const table::Option& row, const QComboBox* list, brindle::RenameSettings& o) {
    const QString typed = list->currentText();
    const int listed = list->findText(typed, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (listed >= 0) {
        row.setChoice(o, list->itemData(listed).toInt());
        return;
    }
    const std::u16string text = FromQString(typed.trimmed());
    if (!table::SetChoiceText(row, o, text))
        return;
    o.*row.text = text;
    row.setChoice(o, row.textChoice);
}

}  // namespace

std::vector<const table::Option*> OptionsPanel::Rows() {
    std::vector<const table::Option*> rows;
    for (const table::Option& row : table::kOptions) {
        bool bound = false;
        for (const OptionBinding& binding : kOptionBindings)
            bound = bound || binding.key == row.key;
        if (!bound)
            rows.push_back(&row);
    }
    return rows;
}

OptionsPanel::OptionsPanel(QWidget* parent) : QGroupBox(QStringLiteral("Options"), parent) {
    SetControlId(this, ids::kOptionsPanel);
    // Two values (a label and its control each) to a row, then the boxes three to a row,
    // so that the panel takes little of the list's height.
    auto* grid = new QGridLayout(this);
    constexpr int kValuesPerRow = 2;
    constexpr int kBoxesPerRow = 3;
    std::vector<std::pair<const table::Option*, QWidget*>> values;
    std::vector<QWidget*> boxes;
    int place = 0;
    const auto changed = [this] {
        if (!loading_)
            emit edited();
    };
    for (const table::Option* row : Rows()) {
        QWidget* control = nullptr;
        switch (row->kind) {
            case table::Kind::Flag: {
                auto* box = new QCheckBox(Text(row->caption), this);
                connect(box, &QCheckBox::toggled, this, changed);
                boxes.push_back(box);
                control = box;
                break;
            }
            case table::Kind::Integer: {
                auto* spin = new QSpinBox(this);
                spin->setRange(row->minimum, row->maximum);
                connect(spin, &QSpinBox::valueChanged, this, changed);
                control = spin;
                break;
            }
            case table::Kind::Text: {
                auto* edit = new QLineEdit(this);
                connect(edit, &QLineEdit::textEdited, this, changed);
                control = edit;
                break;
            }
            case table::Kind::Choice: {
                auto* list = new QComboBox(this);
                for (const table::ChoiceValue& choice : row->choices)
                    list->addItem(choice.text.empty()
                                      ? QString::fromLatin1(choice.word.data(), choice.word.size())
                                      : Text(choice.text),
                                  choice.value);
                if (row->text != nullptr) {
                    // Typed text is the value as typed: no completion puts words in the
                    // user's mouth, and nothing typed joins the list.
                    list->setEditable(true);
                    list->setCompleter(nullptr);
                    list->setInsertPolicy(QComboBox::NoInsert);
                    connect(list, &QComboBox::currentTextChanged, this, changed);
                } else {
                    connect(list, &QComboBox::currentIndexChanged, this, changed);
                }
                control = list;
                break;
            }
        }
        SetControlId(control, ids::kOptionsPanel + ++place);
        if (row->kind != table::Kind::Flag)
            values.emplace_back(row, control);
        controls_.emplace_back(row, control);
    }
    int at = 0;
    for (const auto& [row, control] : values) {
        const int gridRow = at / kValuesPerRow;
        const int column = 2 * (at % kValuesPerRow);
        auto* label = new QLabel(Text(row->caption), this);
        label->setBuddy(control);
        grid->addWidget(label, gridRow, column);
        grid->addWidget(control, gridRow, column + 1);
        ++at;
    }
    int gridRow = (at + kValuesPerRow - 1) / kValuesPerRow;
    QHBoxLayout* line = nullptr;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (i % kBoxesPerRow == 0) {
            line = new QHBoxLayout;
            grid->addLayout(line, gridRow++, 0, 1, 2 * kValuesPerRow);
        }
        line->addWidget(boxes[i]);
        if (i % kBoxesPerRow == kBoxesPerRow - 1 || i + 1 == boxes.size())
            line->addStretch(1);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    if (controls_.empty())
        grid->addWidget(new QLabel(QStringLiteral("No further options."), this), 0, 0);
}

void OptionsPanel::Load(const brindle::RenameSettings& o) {
    loading_ = true;
    for (const auto& [row, control] : controls_) {
        switch (row->kind) {
            case table::Kind::Flag:
                static_cast<QCheckBox*>(control)->setChecked(o.*row->flag);
                break;
            case table::Kind::Integer:
                static_cast<QSpinBox*>(control)->setValue(o.*row->integer);
                break;
            case table::Kind::Text:
                static_cast<QLineEdit*>(control)->setText(ToQString(o.*row->text));
                break;
            case table::Kind::Choice: {
                auto* list = static_cast<QComboBox*>(control);
                const int value = row->getChoice(o);
                if (list->isEditable() && value == row->textChoice) {
                    // The order by tokens shows its text, which is no entry of the list.
                    const QString text = ToQString(o.*row->text);
                    if (list->currentText() != text)
                        list->setEditText(text);
                } else {
                    list->setCurrentIndex(list->findData(value));
                }
                break;
            }
        }
    }
    loading_ = false;
}

void OptionsPanel::Save(brindle::RenameSettings& o) const {
    for (const auto& [row, control] : controls_) {
        switch (row->kind) {
            case table::Kind::Flag:
                o.*row->flag = static_cast<QCheckBox*>(control)->isChecked();
                break;
            case table::Kind::Integer:
                o.*row->integer = static_cast<QSpinBox*>(control)->value();
                break;
            case table::Kind::Text:
                o.*row->text = FromQString(static_cast<QLineEdit*>(control)->text());
                break;
            case table::Kind::Choice: {
                const auto* list = static_cast<QComboBox*>(control);
                if (list->isEditable()) {
                    SaveTyped(*row, list, o);
                    break;
                }
                const QVariant value = list->currentData();
                if (value.isValid())
                    row->setChoice(o, value.toInt());
                break;
            }
        }
    }
}

void OptionsPanel::Edit(const std::function<void(brindle::RenameSettings&)>& change) {
    // Whatever the panel does not show stays out of it: only its own rows go round.
    brindle::RenameSettings shown;
    Save(shown);
    change(shown);
    Load(shown);
    emit edited();
}

QWidget* OptionsPanel::ControlFor(std::u16string_view key) const {
    for (const auto& [row, control] : controls_) {
        if (row->key == key)
            return control;
    }
    return nullptr;
}
