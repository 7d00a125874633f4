// CBalloonWnd's header icon: the setters that turn an icon or a bitmap into the image the
// header draws, scaled once when it is set so that painting only copies it.

#include "balloon/BalloonWnd.h"

#include <QApplication>
#include <QPainter>

#include <utility>

namespace brindle {

namespace {

QSize NaturalIconSize(const QIcon& icon) {
    QSize best;
    const QList<QSize> sizes = icon.availableSizes();
    for (const QSize& size : sizes) {
        if (size.width() * size.height() > best.width() * best.height()) {
            best = size;
        }
    }
    if (best.isEmpty()) {
        const int extent = QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize);
        best = QSize(extent, extent);
    }
    return best;
}

}  // namespace

void CBalloonWnd::ReplaceIcon(std::optional<QPixmap> icon) {
    m_icon = std::move(icon);
    if (m_hasWindow) {
        Reposition();
        // An icon of the same size leaves the shape as it was, so repaint in any case.
        update();
    }
}

void CBalloonWnd::SetIcon(const QIcon& icon) {
    if (!icon.isNull()) {
        QPixmap colour = icon.pixmap(NaturalIconSize(icon), 1.0);
        if (!colour.isNull()) {
            // Its own alpha as a one-bit mask: the header draws it hard-edged.
            const QBitmap mask = colour.mask();
            if (!mask.isNull()) {
                colour.setMask(mask);
            }
            ReplaceIcon(colour);
            return;
        }
    }
    ReplaceIcon(std::nullopt);
}

void CBalloonWnd::SetIconScaled(const QIcon& icon, int width, int height) {
    if (icon.isNull() || width <= 0 || height <= 0) {
        return;
    }
    const QPixmap source = icon.pixmap(NaturalIconSize(icon), 1.0);
    if (source.isNull()) {
        return;
    }
    // Flattened onto the background before scaling, so that the smoothing blends towards
    // the colour the icon will stand on.
    QPixmap flat(source.size());
    flat.fill(m_background);
    {
        QPainter painter(&flat);
        painter.drawPixmap(0, 0, source);
    }
    QPixmap scaled = flat.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (scaled.isNull()) {
        ReplaceIcon(std::nullopt);
        return;
    }
    scaled.setMask(scaled.createMaskFromColor(m_background, Qt::MaskInColor));
    ReplaceIcon(scaled);
}

}  // namespace brindle
