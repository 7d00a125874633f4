#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindle {

struct EntryStatus;

// What tells a file or folder from a later one that was given its inode number: its
// birth time and its file handle, which carries the inode's generation on ext4, xfs,
// btrfs and tmpfs. Either part is missing where the filesystem does not give it.
struct ItemStamp {
    bool hasBirth = false;
    std::int64_t birthSeconds = 0;
    std::uint32_t birthNanoseconds = 0;
    // The handle's type and bytes, as name_to_handle_at gives them; empty when none.
    std::int32_t handleType = 0;
    std::string handle;

    bool empty() const { return !hasBirth && handle.empty(); }
    bool operator==(const ItemStamp&) const = default;
};

// lstat and the stamp of the entry `nameBytes` of the folder open on `folderFd`, from
// statx and name_to_handle_at: the entry is never opened, and a link is not followed.
// An empty name stands for the folder itself. 0 or errno.
int StampEntry(int folderFd, std::string_view nameBytes, EntryStatus& status, ItemStamp& stamp);

}  // namespace brindle
