#pragma once

#include <optional>
#include <string>

#include "balloon/BalloonServices.h"

namespace brindle {

enum class BoxIcon { None, Information, Warning, Question, Stop };
enum class MessageButtons { Ok, YesNo };
enum class MessageResult { Ok, Yes, No };

// The desktop services the windows ask for: message boxes, a line of text, the folder
// browser, and what the help balloons ask. The application implements them with Qt; tests
// implement them to answer and to check exact texts, captions, icons and buttons without a
// person.
class DesktopServices : public BalloonServices {
public:
    // `caption` empty means the application's name.
    virtual MessageResult ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                                         MessageButtons buttons, BoxIcon icon) = 0;
    // The chosen folder's path, or nullopt when the user cancels. The browser opens in
    // `startFolder`.
    virtual std::optional<std::u16string> BrowseForFolder(const std::u16string& prompt,
                                                          const std::u16string& startFolder) = 0;
    // A line of text the user types, `initial` to begin with; nullopt when the user
    // cancels. `caption` empty means the application's name.
    virtual std::optional<std::u16string> AskText(const std::u16string& prompt,
                                                  const std::u16string& caption,
                                                  const std::u16string& initial) = 0;
};

}  // namespace brindle
