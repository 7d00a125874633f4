#pragma once

#include <QDialog>
#include <QImage>
#include <QRect>

#include <functional>

#include "credits/KelvaneU.h"

namespace brindle::testing {

// Both exports, resolved from the library loaded by bare name, as the program loads it.
struct KelvaneUExports {
    kelvaneu::AboutBoxFunction aboutBox = nullptr;
    kelvaneu::AboutBoxArrayFunction aboutBoxArray = nullptr;
};
KelvaneUExports LoadKelvaneU();

struct BoxRun {
    bool result = false;    // what the export returned
    bool driven = false;    // the box came up and `drive` ran
    bool leftOpen = false;  // `drive` did not close it (the helper then cancelled it)
};

// Calls `show`, which runs the about box modally, and once the box is up hands it to
// `drive`. A box that `drive` leaves open is cancelled, so that no test can hang on it.
BoxRun RunBox(const std::function<bool()>& show, const std::function<void(QDialog&)>& drive);

// The box draws its layout scaled for the dialog font (its "layoutScale" property); these
// give the layout's reference pixels as the box shows them, each edge rounded on its own.
qreal LayoutScale(const QDialog& box);
QPoint LayoutPoint(const QDialog& box, QPoint reference);
QRect LayoutRect(const QDialog& box, const QRect& reference);

// The darkest channel value in `area` (255 when it is all white).
int Darkest(const QImage& image, const QRect& area);
// The bounding box of the pixels in `area` with a channel darker than 250.
QRect Ink(const QImage& image, const QRect& area);

}  // namespace brindle::testing
