#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include "app/DesktopServices.h"

class QWidget;

// The right-click help of one window's controls: a right-button press on a control that
// has help launches its balloon at the cursor. Every right-button press, double click and
// release in the window, and its context-menu requests, are swallowed, so a control never
// sees them. Installed on the application for its lifetime, so that it sees a press before
// the control under it does.
class ContextHelpFilter : public QObject {
    Q_OBJECT

public:
    ContextHelpFilter(QWidget* window, brindle::DesktopServices& services);
    ~ContextHelpFilter() override;
    ContextHelpFilter(const ContextHelpFilter&) = delete;
    ContextHelpFilter& operator=(const ContextHelpFilter&) = delete;

    // Launches the balloon of `target` at `globalPos`; false when the control has no help.
    bool ContextHelp(QWidget* target, const QPoint& globalPos);

signals:
    // A right-click found help for a control and launched its balloon.
    void helpShown(int controlId, const QString& title, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    brindle::DesktopServices& services_;
};
