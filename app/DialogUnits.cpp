#include "app/DialogUnits.h"

#include <QFontMetrics>

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width is taken over the 52 letters, rounded, as dialog base units are.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseWidth_ = (letters / 26 + 1) / 2;
    if (baseWidth_ < 1)
        baseWidth_ = 1;
    baseHeight_ = metrics.height();
    if (baseHeight_ < 1)
        baseHeight_ = 1;
}

// MulDiv rounds to nearest; so do these.
int DialogUnits::x(int dlu) const {
    return (dlu * baseWidth_ * 2 + (dlu >= 0 ? 4 : -4)) / 8;
}

int DialogUnits::y(int dlu) const {
    return (dlu * baseHeight_ * 2 + (dlu >= 0 ? 8 : -8)) / 16;
}
