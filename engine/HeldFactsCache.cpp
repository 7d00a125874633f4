#include "engine/HeldFactsCache.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace brindle {

namespace {

// Past this many files the cache starts afresh: a few hundred bytes each, so that a
// Preview walked over a huge tree keeps its memory bounded.
constexpr std::size_t kMostFiles = 200000;

}  // namespace

bool NeedsCover(const HeldFactsNeeds& read, const HeldFactsNeeds& wanted) {
    if ((wanted.photo && !read.photo) || (wanted.audio && !read.audio))
        return false;
    return std::includes(read.photoKeys.begin(), read.photoKeys.end(), wanted.photoKeys.begin(),
                         wanted.photoKeys.end());
}

HeldFactsNeeds NeedsUnion(const HeldFactsNeeds& a, const HeldFactsNeeds& b) {
    HeldFactsNeeds both;
    both.photo = a.photo || b.photo;
    both.audio = a.audio || b.audio;
    std::set_union(a.photoKeys.begin(), a.photoKeys.end(), b.photoKeys.begin(), b.photoKeys.end(),
                   std::back_inserter(both.photoKeys));
    return both;
}

std::size_t HeldFactsCache::KeyHash::operator()(const HeldFileKey& key) const {
    std::size_t hash = std::hash<std::uint64_t>()(key.inode);
    for (const std::uint64_t part :
         {key.device, key.size, static_cast<std::uint64_t>(key.modifiedSeconds),
          static_cast<std::uint64_t>(key.modifiedNanoseconds)}) {
        hash ^=
            std::hash<std::uint64_t>()(part) + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
    }
    return hash;
}

HeldFactsCache& HeldFactsCache::Shared() {
    static HeldFactsCache& cache = []() -> HeldFactsCache& {
        // The readers' one-time setup, before any of them runs.
        PrepareHeldFactsReaders();
        static HeldFactsCache made;
        return made;
    }();
    return cache;
}

std::shared_ptr<const HeldFacts> HeldFactsCache::Get(int folderFd, std::string_view nameBytes,
                                                     const HeldFactsNeeds& needs) {
    HeldFileKey key;
    if (const int error = LookAtHeldFile(folderFd, nameBytes, key); error != 0) {
        auto facts = std::make_shared<HeldFacts>();
        facts->problem = error == ENODATA ? "not a regular file" : std::strerror(error);
        return facts;
    }
    HeldFactsNeeds reading = needs;
    {
        const std::lock_guard lock(mutex_);
        if (const auto found = entries_.find(key); found != entries_.end()) {
            if (NeedsCover(found->second.needs, needs))
                return found->second.facts;
            // Read once more for what was asked before as well, so that the two uses keep
            // being served by one entry.
            reading = NeedsUnion(found->second.needs, needs);
        }
    }
    auto facts = std::make_shared<HeldFacts>();
    ReadHeldFile(folderFd, nameBytes, key, reading, *facts);
    const std::lock_guard lock(mutex_);
    ++reads_;
    if (entries_.size() >= kMostFiles)
        entries_.clear();
    entries_[key] = Entry{std::move(reading), facts};
    return facts;
}

std::size_t HeldFactsCache::reads() const {
    const std::lock_guard lock(mutex_);
    return reads_;
}

void HeldFactsCache::Clear() {
    const std::lock_guard lock(mutex_);
    entries_.clear();
}

}  // namespace brindle
