#include "batch/BackgroundWork.h"

#include <utility>

namespace brindle {

BackgroundWork::~BackgroundWork() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

BackgroundWork::Ticket BackgroundWork::Post(std::function<void()> job) {
    Ticket ticket = 0;
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
        ticket = ++posted_;
        if (!thread_.joinable())
            thread_ = std::thread(&BackgroundWork::Run, this);
    }
    changed_.notify_all();
    return ticket;
}

void BackgroundWork::Wait(Ticket ticket) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return done_ >= ticket; });
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
}

void BackgroundWork::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty())
            return;  // stopping, and nothing left to do
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        std::exception_ptr failure;
        try {
            job();
        } catch (...) {
            // Handed to whoever waits for it.
            failure = std::current_exception();
        }
        lock.lock();
        if (failure && !failure_)
            failure_ = failure;
        ++done_;
        changed_.notify_all();
    }
}

}  // namespace brindle
