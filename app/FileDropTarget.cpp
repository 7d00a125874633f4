#include "app/FileDropTarget.h"

#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

FileDropTarget::FileDropTarget(QWidget* window, std::function<bool()> accepting, QObject* parent)
    : QObject(parent), accepting_(std::move(accepting)) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

bool FileDropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            // An enter is a move too.
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (Accepting() && drag->mimeData()->hasUrls())
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!Accepting() || !drop->mimeData()->hasUrls()) {
                drop->ignore();
                return true;
            }
            const QList<QUrl> urls = drop->mimeData()->urls();
            drop->acceptProposedAction();
            emit dropped(urls);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}
