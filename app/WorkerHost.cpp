#include "app/WorkerHost.h"

#include <QThread>

#include "app/Safely.h"

WorkerHost::WorkerHost(brindle::PipelineHost& window, brindle::DesktopServices& services,
                       QObject* parent)
    : QObject(parent), window_(window), services_(services) {
    pace_.setInterval(kDeliveryMs);
    connect(&pace_, &QTimer::timeout, this, &WorkerHost::Deliver);
}

void WorkerHost::Offload(BusyRunner& runner, const std::function<void()>& task) {
    paced_.store(true, std::memory_order_relaxed);
    pace_.start();
    // Also when the task throws: what it posted before is shown.
    struct Ending {
        WorkerHost& host;
        ~Ending() {
            host.pace_.stop();
            host.paced_.store(false, std::memory_order_relaxed);
            host.Deliver();
        }
    } ending{*this};
    runner.Offload(task);
}

bool WorkerHost::OnWindowThread() const {
    return QThread::currentThread() == thread();
}

void WorkerHost::Post(Event event) {
    if (OnWindowThread()) {
        Deliver();
        std::size_t none = 0;
        Hand(event, handedRows_, none);
        return;
    }
    std::lock_guard lock(mutex_);
    pending_.push_back(std::move(event));
    WakeLocked();
}

void WorkerHost::WakeLocked() {
    if (!posted_ && !paced_.load(std::memory_order_relaxed)) {
        posted_ = true;
        QMetaObject::invokeMethod(this, &WorkerHost::Deliver, Qt::QueuedConnection);
    }
}

void WorkerHost::Deliver() {
    // A host that paints may take events: a delivery met there comes again after this one,
    // so that what it was posted for is never left waiting.
    if (delivering_) {
        QMetaObject::invokeMethod(this, &WorkerHost::Deliver, Qt::QueuedConnection);
        return;
    }
    delivering_ = true;
    // What has come so far, then back to the event loop: what comes meanwhile is posted
    // anew, behind whatever else the window has to do.
    std::optional<brindle::BatchStats> status;
    {
        std::lock_guard lock(mutex_);
        handedEvents_.swap(pending_);
        handedRows_.swap(pendingRows_);
        status.swap(latestStatus_);
        posted_ = false;
    }
    Safely(services_, [&] {
        std::size_t nextRow = 0;
        for (const Event& event : handedEvents_)
            Hand(event, handedRows_, nextRow);
        if (status)
            window_.SetStatus(*status);
    });
    handedEvents_.clear();
    handedRows_.clear();
    delivering_ = false;
}

void WorkerHost::Hand(const Event& event, const brindle::HeldRows& rows, std::size_t& nextRow) {
    if (const auto* held = std::get_if<Rows>(&event)) {
        for (const std::size_t end = nextRow + held->count; nextRow < end; ++nextRow)
            window_.AddOutputRow(rows[nextRow]);
    } else if (const auto* counters = std::get_if<brindle::NameCounters>(&event)) {
        window_.SetCounters(*counters);
    } else if (std::holds_alternative<RemoveAll>(event)) {
        window_.RemoveAllRows();
    } else if (const auto* title = std::get_if<Title>(&event)) {
        window_.SetOutputTitle(title->text);
    }
}

void WorkerHost::AddOutputRow(const brindle::RowData& row) {
    if (OnWindowThread()) {
        Deliver();
        window_.AddOutputRow(row);
        return;
    }
    std::lock_guard lock(mutex_);
    pendingRows_.Add(row);
    if (pending_.empty() || !std::holds_alternative<Rows>(pending_.back()))
        pending_.emplace_back(Rows{});
    ++std::get<Rows>(pending_.back()).count;
    WakeLocked();
}

void WorkerHost::RemoveAllRows() {
    Post(RemoveAll{});
}

void WorkerHost::SetStatus(const brindle::BatchStats& stats) {
    if (OnWindowThread()) {
        Deliver();
        window_.SetStatus(stats);
        return;
    }
    std::lock_guard lock(mutex_);
    latestStatus_ = stats;
    WakeLocked();
}

void WorkerHost::SetCounters(const brindle::NameCounters& counters) {
    Post(counters);
}

void WorkerHost::SetOutputTitle(const std::u16string& title) {
    Post(Title{title});
}

void WorkerHost::ShowMessage(const std::u16string& text, const std::u16string& caption,
                             brindle::MessageIcon icon) {
    const auto show = [&] {
        Deliver();
        window_.ShowMessage(text, caption, icon);
    };
    if (OnWindowThread())
        show();
    else
        QMetaObject::invokeMethod(this, show, Qt::BlockingQueuedConnection);
}

bool WorkerHost::AskYesNo(const std::u16string& text, const std::u16string& caption,
                          brindle::MessageIcon icon) {
    bool yes = false;
    const auto ask = [&] {
        Deliver();
        yes = window_.AskYesNo(text, caption, icon);
    };
    if (OnWindowThread())
        ask();
    else
        QMetaObject::invokeMethod(this, ask, Qt::BlockingQueuedConnection);
    return yes;
}

bool WorkerHost::ConfirmUndo(const std::u16string& question) {
    bool yes = false;
    const auto ask = [&] {
        Deliver();
        yes = window_.ConfirmUndo(question);
    };
    if (OnWindowThread())
        ask();
    else
        QMetaObject::invokeMethod(this, ask, Qt::BlockingQueuedConnection);
    return yes;
}
