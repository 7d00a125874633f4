#include "app/BusyInputGuard.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

// Whether an event of this type is refused while busy.
bool IsRefused(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::Close:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::Quit:
            return true;
        default:
            return false;
    }
}

// The window a close request is meant for: a window's widget, or the widget of the platform
// window that the close box belongs to (where the request arrives first).
QWidget* WindowOf(QObject* watched) {
    if (auto* widget = qobject_cast<QWidget*>(watched))
        return widget->isWindow() ? widget : nullptr;
    if (auto* window = qobject_cast<QWindow*>(watched)) {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->windowHandle() == window)
                return top;
        }
    }
    return nullptr;
}

}  // namespace

BusyInputGuard::BusyInputGuard() {
    QCoreApplication::instance()->installEventFilter(this);
}

BusyInputGuard::~BusyInputGuard() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool BusyInputGuard::eventFilter(QObject* watched, QEvent* event) {
    if (suspended_ == 0 && IsRefused(event->type())) {
        // A refused close or drop must not count as accepted by whoever sent it.
        event->ignore();
        if (event->type() == QEvent::Close && closeHandler_) {
            if (QWidget* window = WindowOf(watched))
                closeHandler_(window);
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}
