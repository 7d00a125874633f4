#pragma once

#include <string>

namespace brindle {

// What a balloon asks of the desktop: to open its link, and the desktop's tooltip
// settings (animate tooltips; fade rather than slide). The application's desktop
// services answer; tests answer on their own.
class BalloonServices {
public:
    virtual ~BalloonServices() = default;

    virtual bool OpenUrl(const std::u16string& url) = 0;
    virtual bool TooltipAnimationEnabled() const = 0;
    virtual bool TooltipFadeEnabled() const = 0;
};

}  // namespace brindle
