#include "app/QtDesktopServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QUrl>

#include "app/QtText.h"
#include "batch/Messages.h"

using brindle::BoxIcon;
using brindle::MessageButtons;
using brindle::MessageResult;

namespace {

QMessageBox::Icon ToQtIcon(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Information:
            return QMessageBox::Information;
        case BoxIcon::Warning:
            return QMessageBox::Warning;
        case BoxIcon::Question:
            return QMessageBox::Question;
        case BoxIcon::Stop:
            return QMessageBox::Critical;
        case BoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QWidget* QtDesktopServices::Owner() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

MessageResult QtDesktopServices::ShowMessageBox(const std::u16string& text,
                                                const std::u16string& caption,
                                                MessageButtons buttons, BoxIcon icon) {
    const QString title =
        ToQString(caption.empty() ? std::u16string(brindle::kApplicationName) : caption);
    QMessageBox box(
        ToQtIcon(icon), title, ToQString(text),
        buttons == MessageButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
        Owner());
    box.setTextFormat(Qt::PlainText);
    if (buttons == MessageButtons::YesNo) {
        box.setDefaultButton(QMessageBox::Yes);
        // Closing the question without an answer counts as No.
        box.setEscapeButton(QMessageBox::No);
    }
    const int answer = box.exec();
    if (buttons == MessageButtons::Ok)
        return MessageResult::Ok;
    return answer == QMessageBox::Yes ? MessageResult::Yes : MessageResult::No;
}

std::optional<std::u16string> QtDesktopServices::BrowseForFolder(
    const std::u16string& prompt, const std::u16string& startFolder) {
    // Given always: left empty, the dialog would open in the current folder, the program's.
    const QString folder =
        QFileDialog::getExistingDirectory(Owner(), ToQString(prompt), PathToQt(startFolder));
    if (folder.isEmpty())
        return std::nullopt;
    return PathFromQt(folder);
}

std::optional<std::u16string> QtDesktopServices::AskText(const std::u16string& prompt,
                                                         const std::u16string& caption,
                                                         const std::u16string& initial) {
    const QString title =
        ToQString(caption.empty() ? std::u16string(brindle::kApplicationName) : caption);
    bool ok = false;
    const QString text = QInputDialog::getText(Owner(), title, ToQString(prompt), QLineEdit::Normal,
                                               ToQString(initial), &ok);
    if (!ok)
        return std::nullopt;
    return FromQString(text);
}

bool QtDesktopServices::OpenUrl(const std::u16string& url) {
    return QDesktopServices::openUrl(QUrl(ToQString(url)));
}

bool QtDesktopServices::TooltipAnimationEnabled() const {
    return QApplication::isEffectEnabled(Qt::UI_AnimateTooltip);
}

bool QtDesktopServices::TooltipFadeEnabled() const {
    return QApplication::isEffectEnabled(Qt::UI_FadeTooltip);
}
