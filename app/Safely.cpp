#include "app/Safely.h"

#include <QString>

#include "app/QtText.h"

std::u16string FailureText(const std::exception& error) {
    return FromQString(QString::fromLocal8Bit(error.what()));
}

void Safely(brindle::DesktopServices& services, const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& error) {
        services.ShowMessageBox(FailureText(error), {}, brindle::MessageButtons::Ok,
                                brindle::BoxIcon::Stop);
    }
}
