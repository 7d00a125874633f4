#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "platform/HeldFacts.h"
#include "platform/HeldFile.h"

namespace brindle {

// What was read from inside files, kept by each file's key (device, inode, size,
// modification time), so that a file is read once however many plans name it: the
// Preview's updates and the batch after it read nothing again. Safe to use from several
// threads at once.
class HeldFactsCache {
public:
    // The program's one cache.
    static HeldFactsCache& Shared();

    // The facts `needs` asks for of the entry `nameBytes` of the folder open on `folderFd`
    // (-1: a path): kept ones when they were read for needs that cover these, else read
    // now (and kept). An entry that is no regular file, or cannot be looked at, gives facts
    // with their problem said.
    std::shared_ptr<const HeldFacts> Get(int folderFd, std::string_view nameBytes,
                                         const HeldFactsNeeds& needs);

    // How many files it has read since it was made: a test's way to see it read once.
    std::size_t reads() const;
    // Forgets every file it has read.
    void Clear();

private:
    struct KeyHash {
        std::size_t operator()(const HeldFileKey& key) const;
    };
    struct Entry {
        HeldFactsNeeds needs;
        std::shared_ptr<const HeldFacts> facts;
    };

    mutable std::mutex mutex_;
    std::unordered_map<HeldFileKey, Entry, KeyHash> entries_;
    std::size_t reads_ = 0;
};

// Whether what was read for `read` holds everything `wanted` asks for.
bool NeedsCover(const HeldFactsNeeds& read, const HeldFactsNeeds& wanted);
// What both ask for.
HeldFactsNeeds NeedsUnion(const HeldFactsNeeds& a, const HeldFactsNeeds& b);

}  // namespace brindle
