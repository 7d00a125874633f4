#include "app/CSimpleBrindle.h"

#include <QApplication>
#include <QPushButton>

#include "app/AppResources.h"
#include "app/ControlId.h"
#include "app/ControlIds.h"
#include "app/DialogUnits.h"

CSimpleBrindle::CSimpleBrindle(brindle::DesktopServices& services,
                               std::vector<std::u16string> arguments, QWidget* parent)
    : QDialog(parent),
      services_(services),
      arguments_(std::move(arguments)),
      units_(QApplication::font()),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("CSimpleBrindle"));
    setWindowTitle(QStringLiteral("Dialog"));
    setWindowIcon(AppIcon());
    setFont(QApplication::font());
    SetControlId(ok_, ids::kOk);
    ok_->setDefault(true);
    SetControlId(cancel_, ids::kCancel);
    cancel_->setAutoDefault(false);
    const std::vector<DialogItem> items = {{ok_, QRect(129, 7, 50, 14)},
                                           {cancel_, QRect(129, 24, 50, 14)}};
    units_ = FitCaptions(DialogUnits(font()), items);
    PlaceItems(units_, items);
    setFixedSize(units_.size(186, 95));
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void CSimpleBrindle::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CSimpleBrindle::OnInitDialog() {
    if (opened_)
        return;
    opened_ = true;
    // The arguments come as the system handed them over, so a '*' or a quote inside one
    // stays part of it, and every argument, the last one too, is a piece.
    std::u16string joined;
    for (std::size_t i = 0; i < arguments_.size(); ++i) {
        if (i > 0)
            joined += u'*';
        joined += arguments_[i];
    }
    services_.ShowMessageBox(joined, {}, brindle::MessageButtons::Ok, brindle::BoxIcon::None);
    pieces_.clear();
    for (const std::u16string& argument : arguments_) {
        pieces_.push_back(argument);
        services_.ShowMessageBox(argument, {}, brindle::MessageButtons::Ok, brindle::BoxIcon::None);
    }
}
