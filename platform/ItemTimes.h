#pragma once

#include <cstdint>
#include <string_view>

#include "platform/WallClock.h"

namespace brindle {

// The times the kernel gives for one entry: its modification time, and its birth time
// where the filesystem records one; and its size, from the same call.
struct ItemTimes {
    bool hasModified = false;
    WallTime modified;
    bool hasBirth = false;
    WallTime birth;
    bool hasSize = false;
    std::uint64_t size = 0;
};

// The times of the entry `nameBytes` of the folder open on `folderFd` (or of the path
// `nameBytes` when `folderFd` is -1), from one statx that follows no link and opens
// nothing. 0 or errno; on an error the times are empty.
int ReadItemTimes(int folderFd, std::string_view nameBytes, ItemTimes& times);

}  // namespace brindle
