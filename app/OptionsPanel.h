#pragma once

#include <QGroupBox>

#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/OptionTable.h"
#include "engine/RenameSettings.h"

// The options that have no control in the main dialog, each with a control of its own
// made from its row (a list for a choice, a box for a flag, a number or a text edit), in
// the Preview window where users look before renaming. A choice that also takes a text
// (the order by tokens) has a list the user may type into: one of its texts or words, or
// the text in braces. It edits the options it is handed and says so; what they mean for
// the next batch is the main dialog's to hold.
class OptionsPanel : public QGroupBox {
    Q_OBJECT

public:
    explicit OptionsPanel(QWidget* parent);

    // The options the panel shows, from the main dialog's bindings: every row without one.
    static std::vector<const brindle::options::Option*> Rows();

    // The controls show `o` ("load") or write into it ("save").
    void Load(const brindle::RenameSettings& o);
    void Save(brindle::RenameSettings& o) const;
    // The control of the option `key`; null when the panel does not show it.
    QWidget* ControlFor(std::u16string_view key) const;
    // Changes the options it shows as the user would by hand: the controls show the change,
    // and it is told as an edit.
    void Edit(const std::function<void(brindle::RenameSettings&)>& change);

signals:
    // The user changed a control.
    void edited();

private:
    std::vector<std::pair<const brindle::options::Option*, QWidget*>> controls_;
    bool loading_ = false;
};
