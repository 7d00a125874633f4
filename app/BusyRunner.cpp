#include "app/BusyRunner.h"

#include <QCoreApplication>

#include <exception>

#include "app/BusyInputGuard.h"
#include "app/Safely.h"

BusyRunner::BusyRunner(brindle::DesktopServices& services) : services_(services) {}

BusyRunner::~BusyRunner() = default;

void BusyRunner::Run(const std::function<void()>& work, const std::function<void()>& showProgress) {
    if (busy_)
        return;
    busy_ = true;
    guard_ = std::make_unique<BusyInputGuard>();
    // However the operation ends, the program takes input again afterwards.
    struct EndBusy {
        BusyRunner& runner;
        ~EndBusy() {
            runner.guard_.reset();
            runner.busy_ = false;
        }
    } endBusy{*this};
    paintTimer_.start();
    emit started();
    try {
        work();
    } catch (const std::exception& error) {
        // The operation could not end; say so instead of leaving a half-done batch silent.
        ShowMessageBox(FailureText(error), {}, brindle::MessageButtons::Ok, brindle::BoxIcon::Stop);
    }
    showProgress();
    // Input that arrived meanwhile is refused, not handled late.
    QCoreApplication::processEvents();
    busy_ = false;
    emit ended();
}

void BusyRunner::Paint(const std::function<void()>& showProgress) {
    if (!busy_)
        return;
    if (paintTimer_.isValid() && paintTimer_.elapsed() < paintIntervalMs_)
        return;
    showProgress();
    // Only paint: input stays queued and is refused when the operation ends.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    paintTimer_.start();
}

brindle::MessageResult BusyRunner::ShowMessageBox(const std::u16string& text,
                                                  const std::u16string& caption,
                                                  brindle::MessageButtons buttons,
                                                  brindle::BoxIcon icon) {
    if (guard_)
        guard_->Suspend();
    const brindle::MessageResult answer = services_.ShowMessageBox(text, caption, buttons, icon);
    if (guard_)
        guard_->Resume();
    return answer;
}
