#include "batch/HeldFactsReadAhead.h"

#include <algorithm>

#include "engine/HeldFactsCache.h"

namespace brindle {

HeldFactsReadAhead::HeldFactsReadAhead(HeldFactsNeeds needs, unsigned threads)
    : needs_(std::move(needs)) {
    // The photo library's one-time setup must come before any thread reads.
    PrepareHeldFactsReaders();
    if (threads == 0)
        threads = std::clamp(std::thread::hardware_concurrency(), 2u, 4u);
    threads_.reserve(threads);
    for (unsigned i = 0; i < threads; ++i)
        threads_.emplace_back(&HeldFactsReadAhead::Run, this);
}

HeldFactsReadAhead::~HeldFactsReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        waiting_.clear();
    }
    asked_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

std::string HeldFactsReadAhead::KeyOf(const OpenFolder& folder, std::string_view nameBytes) {
    std::string key = std::to_string(folder.fd());
    key += '/';
    key += nameBytes;
    return key;
}

void HeldFactsReadAhead::Ask(std::shared_ptr<const OpenFolder> folder, std::string nameBytes) {
    std::string key = KeyOf(*folder, nameBytes);
    {
        const std::lock_guard lock(mutex_);
        auto job = std::make_shared<Job>();
        job->folder = std::move(folder);
        job->name = std::move(nameBytes);
        if (!jobs_.emplace(std::move(key), job).second)
            return;
        waiting_.push_back(std::move(job));
    }
    asked_.notify_one();
}

std::shared_ptr<const HeldFacts> HeldFactsReadAhead::Take(const OpenFolder& folder,
                                                          std::string_view nameBytes) {
    std::shared_ptr<Job> job;
    {
        std::unique_lock lock(mutex_);
        const auto found = jobs_.find(KeyOf(folder, nameBytes));
        if (found == jobs_.end())
            return nullptr;
        job = found->second;
        jobs_.erase(found);
        if (job->state == Job::State::Waiting) {
            // No thread has come to it: reading it here is quicker than waiting.
            waiting_.erase(std::find(waiting_.begin(), waiting_.end(), job));
        } else {
            read_.wait(lock, [&] { return job->state == Job::State::Read; });
            return job->facts;
        }
    }
    return Read(*job);
}

std::shared_ptr<const HeldFacts> HeldFactsReadAhead::Read(const Job& job) const {
    return HeldFactsCache::Shared().Get(job.folder->fd(), job.name, needs_);
}

void HeldFactsReadAhead::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        asked_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (stopping_)
            return;
        std::shared_ptr<Job> job = std::move(waiting_.front());
        waiting_.pop_front();
        job->state = Job::State::Reading;
        lock.unlock();
        std::shared_ptr<const HeldFacts> facts;
        try {
            facts = Read(*job);
        } catch (const std::exception& error) {
            // Out of memory, at worst: the item is named without the file's facts, and
            // its row says why.
            auto failed = std::make_shared<HeldFacts>();
            failed->problem = error.what();
            facts = std::move(failed);
        }
        lock.lock();
        job->facts = std::move(facts);
        job->state = Job::State::Read;
        read_.notify_all();
    }
}

}  // namespace brindle
