#pragma once

#include <QIcon>
#include <QPixmap>

#include <array>

// The program's pictures, compiled into the application library.

// The window icon: 16, 32 and 48 pixels.
QIcon AppIcon();
// The Output Log's row images: 42 x 14 pixels, a green check, a yellow exclamation mark
// and a red cross side by side, transparent around them.
QPixmap RowImageStrip();
// The three row images cut from the strip, each 14 x 14 pixels, in the strip's order.
std::array<QPixmap, 3> RowImages();
