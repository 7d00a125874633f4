#include "app/AppResources.h"

#include <QString>

// Outside any namespace: the resource initialiser is declared at global scope.
static void InitAppResources() {
    // A static library's resources are registered by hand.
    static const bool done = [] {
        Q_INIT_RESOURCE(app);
        return true;
    }();
    (void)done;
}

QIcon AppIcon() {
    InitAppResources();
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/brindle/brindle-%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap RowImageStrip() {
    InitAppResources();
    return QPixmap(QStringLiteral(":/brindle/row-images.png"));
}

std::array<QPixmap, 3> RowImages() {
    const QPixmap strip = RowImageStrip();
    std::array<QPixmap, 3> images;
    for (std::size_t i = 0; i < images.size(); ++i)
        images[i] = strip.copy(static_cast<int>(i) * 14, 0, 14, 14);
    return images;
}
