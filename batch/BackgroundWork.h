#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace brindle {

// A thread of its own that runs the jobs handed to it, one after the other: a batch
// looks at the items of its next group there while it renames the group before, and
// Undo looks ahead at the items of the records to come. What a job reads or writes is
// the caller's to keep still until it has waited for the job.
class BackgroundWork {
public:
    using Ticket = std::uint64_t;

    BackgroundWork() = default;
    // Waits for the jobs handed over, then ends the thread.
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Hands `job` over (the thread starts with the first); its ticket.
    Ticket Post(std::function<void()> job);
    // Waits until the job of `ticket` and every one before it have run. An exception a
    // job threw is thrown here.
    void Wait(Ticket ticket);

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    Ticket posted_ = 0;
    Ticket done_ = 0;
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace brindle
