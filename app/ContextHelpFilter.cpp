#include "app/ContextHelpFilter.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QVariant>
#include <QWidget>

#include <optional>

#include "app/ContextHelp.h"
#include "app/ControlIds.h"
#include "app/Safely.h"

ContextHelpFilter::ContextHelpFilter(QWidget* window, brindle::DesktopServices& services)
    : window_(window), services_(services) {
    QCoreApplication::instance()->installEventFilter(this);
}

ContextHelpFilter::~ContextHelpFilter() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool ContextHelpFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseButtonRelease && type != QEvent::ContextMenu)
        return QObject::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window_)
        return QObject::eventFilter(watched, event);
    if (type == QEvent::ContextMenu)
        return true;  // the press has had its help
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::RightButton)
        return QObject::eventFilter(watched, event);
    if (type != QEvent::MouseButtonRelease) {
        const QPoint at = mouse->globalPosition().toPoint();
        Safely(services_, [&] { ContextHelp(widget, at); });
    }
    return true;
}

bool ContextHelpFilter::ContextHelp(QWidget* target, const QPoint& globalPos) {
    const QVariant id = target->property(kControlIdProperty);
    if (!id.isValid())
        return false;
    const std::optional<ContextHelpTexts> help = ContextHelpFor(id.toInt());
    if (!help)
        return false;
    ShowContextHelpBalloon(help->title, help->text, globalPos, &services_);
    emit helpShown(id.toInt(), help->title, help->text);
    return true;
}
