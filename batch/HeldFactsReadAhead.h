#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/HeldFacts.h"
#include "platform/OpenFolder.h"

namespace brindle {

// Reads what a batch's pattern needs from inside the files it is about to name, on a few
// threads of its own, a little ahead of the naming: reading waits on the disk, and several
// files read at once wait less. Each file's facts depend on that file alone, so the names
// come out the same whichever thread read it and in whatever order.
class HeldFactsReadAhead {
public:
    // `threads` 0: as many as the machine has cores, at least 2 and at most 4.
    explicit HeldFactsReadAhead(HeldFactsNeeds needs, unsigned threads = 0);
    // Drops what was asked for and not read yet, then ends the threads.
    ~HeldFactsReadAhead();
    HeldFactsReadAhead(const HeldFactsReadAhead&) = delete;
    HeldFactsReadAhead& operator=(const HeldFactsReadAhead&) = delete;

    const HeldFactsNeeds& needs() const { return needs_; }

    // Asks for the file `nameBytes` of `folder` (open) to be read soon, after those asked
    // for before.
    void Ask(std::shared_ptr<const OpenFolder> folder, std::string nameBytes);
    // The facts of the file asked for as `folder`'s `nameBytes`: waits while a thread reads
    // it, and reads it here when no thread has begun to. Null when it was never asked for
    // (or was taken before): the caller reads it itself.
    std::shared_ptr<const HeldFacts> Take(const OpenFolder& folder, std::string_view nameBytes);

private:
    struct Job {
        std::shared_ptr<const OpenFolder> folder;
        std::string name;
        enum class State { Waiting, Reading, Read } state = State::Waiting;
        std::shared_ptr<const HeldFacts> facts;
    };

    static std::string KeyOf(const OpenFolder& folder, std::string_view nameBytes);
    void Run();
    std::shared_ptr<const HeldFacts> Read(const Job& job) const;

    HeldFactsNeeds needs_;
    std::mutex mutex_;
    std::condition_variable asked_;
    std::condition_variable read_;
    bool stopping_ = false;
    std::deque<std::shared_ptr<Job>> waiting_;
    std::unordered_map<std::string, std::shared_ptr<Job>> jobs_;
    std::vector<std::thread> threads_;
};

}  // namespace brindle
