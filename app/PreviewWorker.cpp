#include "app/PreviewWorker.h"

#include <exception>

PreviewWorker::PreviewWorker(const std::atomic<quint64>& latest) : latest_(latest) {}

void PreviewWorker::Plan(quint64 generation, std::shared_ptr<const brindle::PlanRequest> request,
                         int firstScreen) {
    const auto stale = [this, generation] {
        return latest_.load(std::memory_order_relaxed) != generation;
    };
    // Requests queue up while one is planned: only the latest is worth starting.
    if (stale() || !request)
        return;
    auto plan = std::make_shared<brindle::Plan>();
    const auto partial = [&](const brindle::Plan& sofar) {
        if (stale())
            return;
        // A copy of what is there: the whole plan goes on growing here.
        auto first = std::make_shared<brindle::Plan>();
        first->folders.reserve(sofar.folders.size());
        for (const brindle::PlanFolder& folder : sofar.folders) {
            first->folders.emplace_back();
            first->folders.back().path = folder.path;
        }
        first->items = sofar.items;
        first->details = sofar.details;
        first->showsTaken = sofar.showsTaken;
        first->skipped = sofar.skipped;
        first->tableFailed = sofar.tableFailed;
        first->configFile = sofar.configFile;
        first->summary = sofar.summary;
        emit planned(generation, std::move(first));
    };
    // Nothing may escape this thread's event loop: a plan that cannot be made says why.
    try {
        if (!brindle::PlanWhole(*request, *plan, stale, static_cast<std::size_t>(firstScreen),
                                partial)) {
            return;
        }
    } catch (const std::exception& error) {
        plan.reset();
        emit failed(generation, QString::fromLocal8Bit(error.what()));
        return;
    }
    emit planned(generation, std::move(plan));
}
