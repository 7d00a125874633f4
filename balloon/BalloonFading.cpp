// CBalloonWnd's fading: whether the balloon may fade, and the 200-millisecond change of
// the window's opacity that shows it or, ending at nothing, finishes its close.

#include "balloon/BalloonWnd.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPropertyAnimation>

#include "balloon/BalloonGuard.h"
#include "balloon/BalloonServices.h"

namespace brindle {

namespace {

constexpr int kFadeMilliseconds = 200;

// Window opacity is honoured where the platform sets it on the window; elsewhere setting
// it only draws a warning.
bool PlatformCanFade() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

bool TooltipAnimationEnabled(const BalloonServices* services) {
    return services != nullptr ? services->TooltipAnimationEnabled()
                               : QApplication::isEffectEnabled(Qt::UI_AnimateTooltip);
}

bool TooltipFadeEnabled(const BalloonServices* services) {
    return services != nullptr ? services->TooltipFadeEnabled()
                               : QApplication::isEffectEnabled(Qt::UI_FadeTooltip);
}

}  // namespace

bool CBalloonWnd::CanFadeWindows(BalloonFade fade) {
    return fade == BalloonFade::Opacity || (fade == BalloonFade::Platform && PlatformCanFade());
}

bool CBalloonWnd::FadingAllowed() const {
    return TooltipAnimationEnabled(m_services) && TooltipFadeEnabled(m_services) && m_fadeAvailable;
}

void CBalloonWnd::FadeTo(qreal opacity) {
    if (m_fadeAnimation == nullptr) {
        m_fadeAnimation = new QPropertyAnimation(this, "windowOpacity", this);
        m_fadeAnimation->setDuration(kFadeMilliseconds);
        connect(m_fadeAnimation, &QAbstractAnimation::finished, this, &CBalloonWnd::OnFadeFinished);
    }
    m_fadeAnimation->stop();
    m_fadeAnimation->setStartValue(windowOpacity());
    m_fadeAnimation->setEndValue(opacity);
    m_fadeAnimation->start();
}

void CBalloonWnd::OnFadeFinished() {
    RunGuarded("fade", [this] {
        if (m_closing && m_fadeAnimation->endValue().toDouble() == 0.0) {
            FinishClose();
        }
    });
}

}  // namespace brindle
