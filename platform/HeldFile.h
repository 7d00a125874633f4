#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/HeldFacts.h"

namespace brindle {

// What tells one version of a file from another: while these stay the same, what the
// file holds is taken to be unchanged.
struct HeldFileKey {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::uint32_t modifiedNanoseconds = 0;
    bool operator==(const HeldFileKey&) const = default;
};

// The key of the entry `nameBytes` of the folder open on `folderFd` (or of the path
// `nameBytes` when `folderFd` is -1), from one lstat-like look that follows no link and
// opens nothing. 0, or errno; ENODATA when the entry is no regular file (a folder, a link,
// a FIFO, a device): such an entry is never opened.
int LookAtHeldFile(int folderFd, std::string_view nameBytes, HeldFileKey& key);

// Reads what `needs` asks for from the regular file `nameBytes` of the folder open on
// `folderFd` (-1: a path), which LookAtHeldFile found as `key`: opened without following a
// link and without blocking, and read only when it is still the regular file of `key`.
// The photo reader runs when `needs` asks for photo facts, the audio reader when it asks
// for tags; `facts.problem` says why nothing was read, or is empty.
void ReadHeldFile(int folderFd, std::string_view nameBytes, const HeldFileKey& key,
                  const HeldFactsNeeds& needs, HeldFacts& facts);

}  // namespace brindle
