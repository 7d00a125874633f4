#pragma once
// What the tools that drive the real main dialog by themselves share: desktop services
// that answer the folder browser with a given folder, a control lookup by id, and a
// program folder of their own.

#include <QFile>
#include <QString>
#include <QWidget>

#include <cstdio>
#include <optional>
#include <string>

#include "app/DesktopServices.h"
#include "app/QtText.h"

namespace brindle::tools {

// Answers the folder browser with `folder`. No box may need a person: each one is
// reported on standard error, answered No and counted.
class ScriptedServices : public DesktopServices {
public:
    explicit ScriptedServices(std::u16string folder) : folder_(std::move(folder)) {}
    MessageResult ShowMessageBox(const std::u16string& text, const std::u16string&, MessageButtons,
                                 BoxIcon) override {
        std::fprintf(stderr, "unexpected message: %s\n", ToQString(text).toLocal8Bit().constData());
        ++boxes;
        return MessageResult::No;
    }
    std::optional<std::u16string> BrowseForFolder(const std::u16string&,
                                                  const std::u16string&) override {
        return folder_;
    }
    std::optional<std::u16string> AskText(const std::u16string& prompt, const std::u16string&,
                                          const std::u16string&) override {
        std::fprintf(stderr, "unexpected question: %s\n",
                     ToQString(prompt).toLocal8Bit().constData());
        ++boxes;
        return std::nullopt;
    }
    bool OpenUrl(const std::u16string&) override { return false; }
    bool TooltipAnimationEnabled() const override { return false; }
    bool TooltipFadeEnabled() const override { return false; }

    // The folder the browser answers with next.
    void setFolder(std::u16string folder) { folder_ = std::move(folder); }

    int boxes = 0;

private:
    std::u16string folder_;
};

template <typename T = QWidget>
T* Ctl(QWidget* dialog, int id) {
    return dialog->findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

// Writes `ini` as the Brindle.ini of `programFolder` (ending with '/'), so that no
// configuration or log of a real installation is used.
inline bool WriteProgramIni(const QString& programFolder, const char* ini) {
    QFile file(programFolder + QStringLiteral("Brindle.ini"));
    return file.open(QIODevice::WriteOnly) && file.write(ini) >= 0;
}

}  // namespace brindle::tools
