#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/OpenFolder.h"

namespace brindle {

// What a folder's listing said of its names, so that Undo of many records in one folder
// learns each item's inode number without a stat of its own. A folder is listed once it
// has been asked about often enough to pay for it. A name Undo moved away is forgotten,
// so a later record never trusts what the listing said of it; anything else Undo changes
// in a way it does not follow forgets everything. The answer only decides whether a
// move is worth trying at once: where the listing does not know the name, the caller
// looks at the disk.
class ListedInodes {
public:
    struct Listed {
        std::uint64_t inode = 0;
        bool isFolder = false;
    };

    // Only for folders whose inode numbers are stable.
    std::optional<Listed> Find(const OpenFolder& folder, std::string_view nameBytes);
    void Forget(const OpenFolder& folder, std::string_view nameBytes);
    void Clear() { folders_.clear(); }

    // Lookups in one folder before it is listed: a few stats cost less than a listing.
    static constexpr int kListAfter = 32;

private:
    // Sorted by key: the name's hash with its lowest bit standing for "a folder".
    struct Entry {
        std::uint64_t key;
        std::uint64_t inode;  // 0: forgotten
    };
    struct Folder {
        FileIdentity identity;
        int lookups = 0;
        bool listed = false;
        std::vector<Entry> entries;
        // Where the entries whose hashes begin with each value of their top bits start:
        // a lookup reads a few neighbouring entries instead of searching them all.
        std::vector<std::uint32_t> starts;
        int bits = 0;
        std::uint64_t BucketOf(std::uint64_t key) const {
            return bits == 0 ? 0 : key >> (64 - bits);
        }
    };
    Folder& Of(const OpenFolder& folder);
    static std::uint64_t Hash(std::string_view nameBytes);
    // The one entry whose hash is `hash`, or null (none, or two names that share it).
    static Entry* FindEntry(Folder& folder, std::uint64_t hash);

    std::vector<Folder> folders_;
};

}  // namespace brindle
