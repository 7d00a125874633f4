#pragma once

#include <QGroupBox>

#include <string_view>
#include <utility>
#include <vector>

#include "engine/OptionTable.h"
#include "engine/RenameSettings.h"

// The options that have no control in the main dialog, each with a control of its own
// made from its row (a list for a choice, a box for a flag, a number or a text edit), in
// the Preview window where users look before renaming. It edits the options it is handed
// and says so; what they mean for the next batch is the main dialog's to hold.
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

signals:
    // The user changed a control.
    void edited();

private:
    std::vector<std::pair<const brindle::options::Option*, QWidget*>> controls_;
    bool loading_ = false;
};
