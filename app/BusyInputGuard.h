#pragma once

#include <QObject>

#include <functional>

class QWidget;

// While a batch or an Undo runs, the events it lets through are only those that paint:
// every click, key, wheel turn, shortcut, close request and drop meant for any window of
// the program is refused until it ends. Installed on the application for the duration of
// one operation.
class BusyInputGuard : public QObject {
    Q_OBJECT

public:
    BusyInputGuard();
    ~BusyInputGuard() override;
    BusyInputGuard(const BusyInputGuard&) = delete;
    BusyInputGuard& operator=(const BusyInputGuard&) = delete;

    // A message box shown during the operation must take its answer: while suspended,
    // nothing is refused (the box is modal, so the other windows stay blocked anyway).
    void Suspend() { ++suspended_; }
    void Resume() { --suspended_; }
    // Told of each window whose close is refused (the user's close box), so that the
    // program can ask what to do.
    void setCloseHandler(std::function<void(QWidget*)> handler) {
        closeHandler_ = std::move(handler);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int suspended_ = 0;
    std::function<void(QWidget*)> closeHandler_;
};
