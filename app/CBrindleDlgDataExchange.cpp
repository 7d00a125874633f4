// The main dialog's data exchange: the controls to the options ("save") and back
// ("load"), driven by the option table.

#include "app/CBrindleDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <optional>

#include "app/CPreviewDlg.h"
#include "app/OptionBindings.h"
#include "app/OptionsPanel.h"
#include "app/QtText.h"
#include "batch/Messages.h"
#include "engine/IntegerText.h"
#include "engine/OptionTable.h"

using brindle::MessageIcon;
using brindle::RenameSettings;

namespace {

// The integer rule: spaces and tabs around the text are ignored; what is left is a decimal
// integer with an optional sign, within 32 bits.
std::optional<int> ParseInteger(const QString& text) {
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return brindle::ParseInt32(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()) + begin,
                            static_cast<std::size_t>(end - begin)));
}

QString TextOf(QWidget* w) {
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    return {};
}

void SetTextOf(QWidget* w, const QString& text) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        // Writing the same text again would move the caret for nothing.
        if (e->text() != text)
            e->setText(text);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setText(text);
    }
}

}  // namespace

bool CBrindleDlg::UpdateData(bool save) {
    if (save)
        return SaveOptions(session_.settings());
    LoadOptions(session_.settings());
    return true;
}

bool CBrindleDlg::DoDataExchange(bool save, RenameSettings& o, bool quiet) {
    // The bindings, in their order, drive both directions.
    namespace table = brindle::options;
    for (const OptionBinding& binding : kOptionBindings) {
        const table::Option& row = *table::FindOption(binding.key);
        switch (row.kind) {
            case table::Kind::Flag: {
                auto* box = qobject_cast<QCheckBox*>(control(binding.control));
                if (save)
                    o.*row.flag = box->isChecked();
                else
                    box->setChecked(o.*row.flag);
                break;
            }
            case table::Kind::Integer: {
                auto* edit = qobject_cast<QLineEdit*>(control(binding.control));
                if (!save) {
                    SetTextOf(edit, QString::number(o.*row.integer));
                    break;
                }
                const std::optional<int> value = ParseInteger(edit->text());
                if (!value && quiet)
                    break;
                if (!value) {
                    ShowMessage(brindle::kTextEnterInteger, {}, MessageIcon::Warning);
                    edit->setFocus(Qt::OtherFocusReason);
                    edit->selectAll();
                    return false;
                }
                o.*row.integer = *value;
                break;
            }
            case table::Kind::Text: {
                QWidget* widget = control(binding.control);
                if (save)
                    o.*row.text = FromQString(TextOf(widget));
                else
                    SetTextOf(widget, ToQString(o.*row.text));
                break;
            }
            case table::Kind::Choice:
                if (binding.valueControls.empty())
                    ExchangeList(save, o, row, binding.control);
                else
                    ExchangeButtons(save, o, row, binding.valueControls);
                break;
        }
    }
    return true;
}

void CBrindleDlg::ExchangeButtons(bool save, RenameSettings& o, const brindle::options::Option& row,
                                  std::span<const int> buttons) {
    if (save) {
        // No button checked: no choice at all (-1), as the group reports it.
        int value = -1;
        for (std::size_t i = 0; i < buttons.size() && i < row.choices.size(); ++i) {
            if (auto* b = qobject_cast<QAbstractButton*>(control(buttons[i])); b && b->isChecked())
                value = row.choices[i].value;
        }
        row.setChoice(o, value);
        return;
    }
    const int value = row.getChoice(o);
    bool shown = false;
    for (std::size_t i = 0; i < buttons.size() && i < row.choices.size(); ++i) {
        if (row.choices[i].value == value) {
            qobject_cast<QAbstractButton*>(control(buttons[i]))->setChecked(true);
            shown = true;
        }
    }
    if (!shown) {
        for (const int id : buttons) {
            auto* b = qobject_cast<QAbstractButton*>(control(id));
            if (b == nullptr || !b->isChecked())
                continue;
            QButtonGroup* group = b->group();
            if (group)
                group->setExclusive(false);
            b->setChecked(false);
            if (group)
                group->setExclusive(true);
        }
    }
}

void CBrindleDlg::ExchangeList(bool save, RenameSettings& o, const brindle::options::Option& row,
                               int listId) {
    auto* list = qobject_cast<QComboBox*>(control(listId));
    if (save) {
        // The list's text is the value, whatever position it stands at.
        int value = -1;
        for (const brindle::options::ChoiceValue& choice : row.choices) {
            if (list->currentText() == ToQString(std::u16string(choice.text)))
                value = choice.value;
        }
        row.setChoice(o, value);
        return;
    }
    const int value = row.getChoice(o);
    int index = -1;
    for (const brindle::options::ChoiceValue& choice : row.choices) {
        if (choice.value == value)
            index = list->findText(ToQString(std::u16string(choice.text)));
    }
    list->setCurrentIndex(index);
}

bool CBrindleDlg::SaveOptions(RenameSettings& o) {
    return DoDataExchange(true, o);
}

void CBrindleDlg::LoadOptions(const RenameSettings& o) {
    RenameSettings shown = o;
    DoDataExchange(false, shown);
    ShowAlsoLine(o);
    if (preview_)
        preview_->optionsPanel()->Load(o);
}

void CBrindleDlg::ShowAlsoLine(const RenameSettings& o) {
    QString text;
    for (const brindle::options::Option* row : OptionsPanel::Rows()) {
        const std::u16string phrase = brindle::options::DescribeSetting(*row, o);
        if (phrase.empty())
            continue;
        text += text.isEmpty() ? QStringLiteral("Also: ") : QStringLiteral("; ");
        text += ToQString(phrase);
    }
    alsoLine_->setToolTip(text);
    // Whole where it fits, else cut with an ellipsis: the tooltip and the Preview say all.
    const int room = alsoLine_->width() - 4;
    alsoLine_->setText(room > 0 ? alsoLine_->fontMetrics().elidedText(text, Qt::ElideRight, room)
                                : text);
    alsoLine_->setVisible(!text.isEmpty());
}

void CBrindleDlg::OnOptionsPanelEdited() {
    if (busy())
        return;
    preview_->optionsPanel()->Save(session_.settings());
    ShowAlsoLine(session_.settings());
    emit optionsEdited();
}

brindle::PlanRequest CBrindleDlg::NextBatch(const brindle::BatchSource& source) {
    brindle::PlanRequest request{source, OptionsShown(), session_.NextCounters(),
                                 session_.configFile()};
    request.counters.startIndex = request.settings.startIndex;
    return request;
}

RenameSettings CBrindleDlg::OptionsShown() {
    RenameSettings o = session_.settings();
    // The controls as they are; an invalid integer is the session's value, as a batch
    // would keep it after its message.
    DoDataExchange(true, o, true);
    return o;
}

void CBrindleDlg::LoadRunningNumber() {
    SetTextOf(startIndex_, QString::number(runningNumber_));
}
