#pragma once

#include "app/DesktopServices.h"

class QWidget;

// The desktop services with Qt: message boxes, a line of text, the folder browser, the web browser
// and the desktop's tooltip effects.
class QtDesktopServices : public brindle::DesktopServices {
public:
    brindle::MessageResult ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                                          brindle::MessageButtons buttons,
                                          brindle::BoxIcon icon) override;
    std::optional<std::u16string> BrowseForFolder(const std::u16string& prompt,
                                                  const std::u16string& startFolder) override;
    std::optional<std::u16string> AskText(const std::u16string& prompt,
                                          const std::u16string& caption,
                                          const std::u16string& initial) override;
    bool OpenUrl(const std::u16string& url) override;
    bool TooltipAnimationEnabled() const override;
    bool TooltipFadeEnabled() const override;

private:
    static QWidget* Owner();
};
