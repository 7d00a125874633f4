#pragma once

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/BusyRunner.h"
#include "app/DesktopServices.h"
#include "batch/HeldRows.h"
#include "batch/PipelineHost.h"

// The host a batch or Undo talks to when it runs on a worker thread: what happens is queued,
// in order, and handed to the window's own host on the window's thread whenever that thread
// next takes its events; a message or a question waits until the window has shown every
// row before it and the user has answered. Called on the window's thread itself, it hands
// everything on at once.
class WorkerHost : public QObject, public brindle::PipelineHost {
    Q_OBJECT

public:
    // What the window's host cannot show (it ran out of memory, say) is told in a message
    // box through `services`: no exception crosses Qt's event delivery.
    WorkerHost(brindle::PipelineHost& window, brindle::DesktopServices& services, QObject* parent);

    void AddOutputRow(const brindle::RowData& row) override;
    void RemoveAllRows() override;
    void SetStatus(const brindle::BatchStats& stats) override;
    void SetCounters(const brindle::NameCounters& counters) override;
    void SetOutputTitle(const std::u16string& title) override;
    void ShowMessage(const std::u16string& text, const std::u16string& caption,
                     brindle::MessageIcon icon) override;
    bool AskYesNo(const std::u16string& text, const std::u16string& caption,
                  brindle::MessageIcon icon) override;
    bool ConfirmUndo(const std::u16string& question) override;
    bool GoesOnWithoutTable() const override { return window_.GoesOnWithoutTable(); }

    // Runs `task` on a worker (BusyRunner::Offload) with this host as its host: what it
    // posts is handed to the window every kDeliveryMs rather than waking the window for each
    // event (a wake-up per row cost more than the rename itself), and all that is left once
    // it has ended.
    void Offload(BusyRunner& runner, const std::function<void()>& task);

    // Hands on what has been queued; on the window's thread. Once the worker has ended, one
    // call hands on all it sent.
    void Deliver();

    static constexpr int kDeliveryMs = 10;

private:
    struct RemoveAll {};
    struct Title {
        std::u16string text;
    };
    // The next `count` rows held: rows in a row are one event.
    struct Rows {
        std::size_t count = 0;
    };
    // The counters come in their place among the rows (the window may paint each running
    // number with its row); of the status, which comes with every item, only the latest is
    // kept.
    using Event = std::variant<Rows, RemoveAll, brindle::NameCounters, Title>;

    bool OnWindowThread() const;
    void Post(Event event);
    // Asks the window's thread to deliver, unless the pace timer will; under mutex_.
    void WakeLocked();
    // Hands on one event; `rows` are the rows of its Rows events, `nextRow` the first not
    // yet handed.
    void Hand(const Event& event, const brindle::HeldRows& rows, std::size_t& nextRow);

    brindle::PipelineHost& window_;
    brindle::DesktopServices& services_;
    std::mutex mutex_;
    std::vector<Event> pending_;
    brindle::HeldRows pendingRows_;
    std::optional<brindle::BatchStats> latestStatus_;
    // What the last delivery handed on, emptied: swapped with the pending ones at the
    // next, so that their memory serves again.
    std::vector<Event> handedEvents_;
    brindle::HeldRows handedRows_;
    bool posted_ = false;
    bool delivering_ = false;
    // Offload runs: the pace timer delivers, Post wakes no one.
    std::atomic<bool> paced_{false};
    QTimer pace_;
};
