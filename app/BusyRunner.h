#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <memory>
#include <string>

#include "app/DesktopServices.h"

class BusyInputGuard;

// Runs one batch or Undo at a time with every input to the program refused, letting the
// windows paint as it goes at a set cadence. An operation that cannot end says why in a
// message box; however it ends, the program takes input again afterwards.
class BusyRunner : public QObject {
    Q_OBJECT

public:
    explicit BusyRunner(brindle::DesktopServices& services);
    ~BusyRunner() override;
    BusyRunner(const BusyRunner&) = delete;
    BusyRunner& operator=(const BusyRunner&) = delete;

    bool busy() const { return busy_; }
    // How often a running operation lets the windows paint (0: at every chance).
    void setPaintInterval(int milliseconds) { paintIntervalMs_ = milliseconds; }

    // Runs `work`, unless an operation runs already; `showProgress` shows what it reached
    // before the input that arrived meanwhile is refused.
    void Run(const std::function<void()>& work, const std::function<void()>& showProgress);
    // Within an operation: runs `task` on a worker thread while this thread takes its
    // events (the windows paint, move and resize; input stays refused), and returns when it
    // has ended, with its exception, if any, thrown here.
    void Offload(const std::function<void()>& task);
    // While an operation runs, once a paint interval has passed since the last paint:
    // `showProgress`, then the windows paint. Input stays queued, to be refused when the
    // operation ends.
    void Paint(const std::function<void()>& showProgress);
    // A message box that takes its answer, during an operation as at any other time.
    brindle::MessageResult ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                                          brindle::MessageButtons buttons, brindle::BoxIcon icon);

signals:
    // An operation starts (input is refused already), and has ended (refused still, until
    // the signal returns).
    void started();
    void ended();
    // A window was asked to close while an operation runs (the request itself is refused).
    void closeRequested(QWidget* window);

private:
    brindle::DesktopServices& services_;
    bool busy_ = false;
    std::unique_ptr<BusyInputGuard> guard_;
    QElapsedTimer paintTimer_;
    int paintIntervalMs_ = 100;
};
