#pragma once

#include <optional>
#include <string>

namespace brindle {

enum class MessageIcon { None, Information, Warning, Question, Stop };
enum class MessageButtons { Ok, YesNo };
enum class MessageResult { Ok, Yes, No };

// The application's name: the caption of every message box that gives none.
inline constexpr char16_t kApplicationName[] = u"Brindle";

// The desktop services the windows ask for. The application implements them with Qt;
// tests implement them to answer and to check exact texts, captions, icons and buttons
// without a person.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    // `caption` empty means the application's name.
    virtual MessageResult ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                                         MessageButtons buttons, MessageIcon icon) = 0;
    // The chosen folder's path, or nullopt when the user cancels.
    virtual std::optional<std::u16string> BrowseForFolder(const std::u16string& prompt) = 0;
    virtual bool OpenUrl(const std::u16string& url) = 0;
    // The desktop's tooltip settings (animate tooltips; fade rather than slide).
    virtual bool TooltipAnimationEnabled() const = 0;
    virtual bool TooltipFadeEnabled() const = 0;
};

}  // namespace brindle
