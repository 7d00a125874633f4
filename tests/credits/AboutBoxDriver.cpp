#include "AboutBoxDriver.h"

#include <dlfcn.h>

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace brindle::testing {

KelvaneUExports LoadKelvaneU() {
    KelvaneUExports exports;
    void* library = dlopen(kelvaneu::kLibraryFileName, RTLD_NOW);
    if (!library)
        return exports;
    exports.aboutBox =
        reinterpret_cast<kelvaneu::AboutBoxFunction>(dlsym(library, kelvaneu::kAboutBoxName));
    exports.aboutBoxArray = reinterpret_cast<kelvaneu::AboutBoxArrayFunction>(
        dlsym(library, kelvaneu::kAboutBoxArrayName));
    return exports;
}

BoxRun RunBox(const std::function<bool()>& show, const std::function<void(QDialog&)>& drive) {
    BoxRun run;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QPointer<QDialog> box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            timer.start();  // the box is not up yet
            return;
        }
        run.driven = true;
        QCoreApplication::processEvents();  // let it paint before anything is measured
        drive(*box);
        run.leftOpen = box && box->isVisible();
        if (run.leftOpen)
            box->reject();
    });
    timer.start();
    run.result = show();
    timer.stop();
    return run;
}

qreal LayoutScale(const QDialog& box) {
    return box.property("layoutScale").toReal();
}

QPoint LayoutPoint(const QDialog& box, QPoint reference) {
    const qreal scale = LayoutScale(box);
    return {qRound(reference.x() * scale), qRound(reference.y() * scale)};
}

QRect LayoutRect(const QDialog& box, const QRect& reference) {
    const QPoint end = LayoutPoint(box, reference.bottomRight() + QPoint(1, 1));
    return {LayoutPoint(box, reference.topLeft()), end - QPoint(1, 1)};
}

int Darkest(const QImage& image, const QRect& area) {
    int darkest = 255;
    const QRect clipped = area & image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            darkest = std::min({darkest, qRed(pixel), qGreen(pixel), qBlue(pixel)});
        }
    }
    return darkest;
}

QRect Ink(const QImage& image, const QRect& area) {
    QRect ink;
    const QRect clipped = area & image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (Darkest(image, QRect(x, y, 1, 1)) < 250)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

}  // namespace brindle::testing
