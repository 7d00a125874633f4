#pragma once

#include <QPoint>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "balloon/BalloonWnd.h"
#include "platform/DesktopServices.h"

namespace brindle::testing {

// Answers the balloon's questions about the desktop and records the links it opens.
class RecordingServices : public DesktopServices {
public:
    bool animation = true;
    bool fade = true;
    bool openSucceeds = false;
    std::vector<std::u16string> openedUrls;

    MessageResult ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                                 MessageButtons buttons, MessageIcon icon) override;
    std::optional<std::u16string> BrowseForFolder(const std::u16string& prompt) override;
    bool OpenUrl(const std::u16string& url) override;
    bool TooltipAnimationEnabled() const override { return animation; }
    bool TooltipFadeEnabled() const override { return fade; }
};

// A plain top-level window on the screen, to own balloons and receive input.
std::unique_ptr<QWidget> ShowOwnerWindow(QPoint position = QPoint(100, 100));

// Handles what is queued, including the close requests the balloon posts to itself.
void ProcessPending();

// The balloons whose windows are up.
std::vector<CBalloonWnd*> LiveBalloons();

}  // namespace brindle::testing
