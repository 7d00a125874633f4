#pragma once

#include <QObject>

#include <atomic>
#include <memory>

#include "batch/BatchPlan.h"
#include "batch/BatchPlanner.h"

// Plans previews in a thread of its own, so that the user-interface thread never waits
// for a listing, a tag or a check. Each request carries a generation; the window sets the
// latest one, and a plan whose generation is no longer the latest stops between two
// items and is never sent. A plan is sent twice: first the items that fill a screen (not
// checked yet), then the whole plan with every item's state.
class PreviewWorker : public QObject {
    Q_OBJECT

public:
    // `latest` is the generation the window wants; it outlives the worker.
    explicit PreviewWorker(const std::atomic<quint64>& latest);

    // Runs in the worker's thread.
    void Plan(quint64 generation, std::shared_ptr<const brindle::PlanRequest> request,
              int firstScreen);

signals:
    void planned(quint64 generation, std::shared_ptr<const brindle::Plan> plan);
    // The plan could not be made (memory ran out): why.
    void failed(quint64 generation, const QString& reason);

private:
    const std::atomic<quint64>& latest_;
};
