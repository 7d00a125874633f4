// The main dialog's data exchange: the controls to the options ("save") and back
// ("load"), driven by the option table.

#include "app/CBrindleDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <optional>

#include "app/QtText.h"
#include "batch/Messages.h"
#include "engine/IntegerText.h"
#include "engine/OptionTable.h"

using brindle::MessageIcon;
using brindle::RenameOptions;

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
        return SaveOptions(session_.options());
    LoadOptions(session_.options());
    return true;
}

bool CBrindleDlg::DoDataExchange(bool save, RenameOptions& o, bool quiet) {
    // The option table, in its order, drives both directions.
    namespace table = brindle::options;
    for (const table::Flag& flag : table::kFlags) {
        auto* box = qobject_cast<QCheckBox*>(control(flag.control));
        if (save)
            o.*flag.field = box->isChecked();
        else
            box->setChecked(o.*flag.field);
    }
    if (save) {
        o.conversionMode = conversionGroup_->checkedId();
    } else if (o.conversionMode >= 0 && o.conversionMode < static_cast<int>(conversion_.size())) {
        conversion_[static_cast<std::size_t>(o.conversionMode)]->setChecked(true);
    } else if (QAbstractButton* checked = conversionGroup_->checkedButton()) {
        conversionGroup_->setExclusive(false);
        checked->setChecked(false);
        conversionGroup_->setExclusive(true);
    }
    for (const table::Integer& integer : table::kIntegers) {
        auto* edit = qobject_cast<QLineEdit*>(control(integer.control));
        if (!save) {
            SetTextOf(edit, QString::number(o.*integer.field));
            continue;
        }
        const std::optional<int> value = ParseInteger(edit->text());
        if (!value && quiet)
            continue;
        if (!value) {
            ShowMessage(brindle::kTextEnterInteger, {}, MessageIcon::Warning);
            edit->setFocus(Qt::OtherFocusReason);
            edit->selectAll();
            return false;
        }
        o.*integer.field = *value;
    }
    for (const table::Text& text : table::kTexts) {
        QWidget* widget = control(text.control);
        if (save)
            o.*text.field = FromQString(TextOf(widget));
        else
            SetTextOf(widget, ToQString(o.*text.field));
    }
    return true;
}

bool CBrindleDlg::SaveOptions(RenameOptions& o) {
    // The selected method is read from the list itself, whatever the exchange reports.
    o.filterMethod = FromQString(methodList_->currentText());
    return DoDataExchange(true, o);
}

void CBrindleDlg::LoadOptions(const RenameOptions& o) {
    RenameOptions shown = o;
    DoDataExchange(false, shown);
}

brindle::PlanRequest CBrindleDlg::NextBatch(const brindle::BatchSource& source) {
    brindle::PlanRequest request{source, session_.options(), session_.counters()};
    // The controls as they are; an invalid integer is the session's value, as a batch
    // would keep it after its message.
    request.options.filterMethod = FromQString(methodList_->currentText());
    DoDataExchange(true, request.options, true);
    request.counters.startIndex = request.options.startIndex;
    return request;
}

void CBrindleDlg::LoadRunningNumber() {
    SetTextOf(startIndex_, QString::number(session_.options().startIndex));
}
