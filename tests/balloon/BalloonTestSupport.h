#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "balloon/BalloonServices.h"
#include "balloon/BalloonWnd.h"

namespace brindle::testing {

// Answers the balloon's questions about the desktop and records the links it opens.
class RecordingServices : public BalloonServices {
public:
    bool animation = true;
    bool fade = true;
    bool openSucceeds = false;
    std::vector<std::u16string> openedUrls;

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

// The one balloon whose window is up; a failure, and nullptr, unless there is exactly one.
CBalloonWnd* OnlyBalloon();

// Where the tip of the balloon's tail lies on the screen.
QPoint TipOnScreen(const CBalloonWnd& balloon);

// In an owner window's coordinates; the upper left of the screen, so the balloon hangs
// below and to the right of it.
inline constexpr QPoint kAnchorInOwner(200, 150);
// A point of the owner window away from any balloon.
inline constexpr QPoint kQuietSpot(40, 40);

// Creates the balloon with a title and a help text, anchored at kAnchorInOwner of `owner`.
bool CreateAtOwnerAnchor(CBalloonWnd& balloon, std::uint32_t options, QWidget* owner,
                         const QString& url = QString());

}  // namespace brindle::testing
