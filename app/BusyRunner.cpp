#include "app/BusyRunner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

#include <exception>
#include <thread>

#include "app/BusyInputGuard.h"
#include "app/Safely.h"

BusyRunner::BusyRunner(brindle::DesktopServices& services) : services_(services) {}

BusyRunner::~BusyRunner() = default;

void BusyRunner::Run(const std::function<void()>& work, const std::function<void()>& showProgress) {
    if (busy_)
        return;
    busy_ = true;
    guard_ = std::make_unique<BusyInputGuard>();
    guard_->setCloseHandler([this](QWidget* window) {
        // Asked once the refused event has been dealt with.
        QMetaObject::invokeMethod(
            this,
            [this, window = QPointer<QWidget>(window)] {
                if (!window)
                    return;
                if (busy_)
                    emit closeRequested(window);
                else
                    window->close();  // the operation ended meanwhile: as asked
            },
            Qt::QueuedConnection);
    });
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

void BusyRunner::Offload(const std::function<void()>& task) {
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            task();
        } catch (...) {
            // Thrown again on this thread, where Run reports it.
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
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
