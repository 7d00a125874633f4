#include "batch/ListedInodes.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace brindle {

std::uint64_t ListedInodes::Hash(std::string_view nameBytes) {
    return std::hash<std::string_view>{}(nameBytes) & ~std::uint64_t{1};
}

ListedInodes::Folder& ListedInodes::Of(const OpenFolder& folder) {
    for (Folder& known : folders_) {
        if (known.identity == folder.identity())
            return known;
    }
    Folder added;
    added.identity = folder.identity();
    folders_.push_back(std::move(added));
    return folders_.back();
}

ListedInodes::Entry* ListedInodes::FindEntry(Folder& folder, std::uint64_t hash) {
    if (folder.entries.empty())
        return nullptr;
    const std::uint64_t bucket = folder.BucketOf(hash);
    Entry* found = nullptr;
    for (std::uint32_t at = folder.starts[bucket]; at < folder.starts[bucket + 1]; ++at) {
        Entry& entry = folder.entries[at];
        if ((entry.key & ~std::uint64_t{1}) != hash)
            continue;
        if (found)
            return nullptr;  // two names share the hash: neither is known
        found = &entry;
    }
    return found;
}

std::optional<ListedInodes::Listed> ListedInodes::Find(const OpenFolder& folder,
                                                       std::string_view nameBytes) {
    if (!folder.inodesStable())
        return std::nullopt;
    Folder& known = Of(folder);
    if (!known.listed) {
        if (++known.lookups < kListAfter)
            return std::nullopt;
        known.listed = true;
        const int error =
            folder.Visit([&known](std::string_view name, std::uint64_t inode, bool isFolder) {
                known.entries.push_back({Hash(name) | (isFolder ? 1u : 0u), inode});
            });
        // A listing cut short knows nothing for sure: every item is looked at instead.
        if (error != 0)
            known.entries.clear();
        std::sort(known.entries.begin(), known.entries.end(),
                  [](const Entry& a, const Entry& b) { return a.key < b.key; });
        // About four entries a bucket.
        while (known.bits < 30 && (std::size_t{1} << (known.bits + 2)) < known.entries.size())
            ++known.bits;
        known.starts.assign((std::size_t{1} << known.bits) + 1, 0);
        for (const Entry& entry : known.entries)
            ++known.starts[known.BucketOf(entry.key) + 1];
        for (std::size_t b = 1; b < known.starts.size(); ++b)
            known.starts[b] += known.starts[b - 1];
    }
    const Entry* entry = FindEntry(known, Hash(nameBytes));
    if (!entry || entry->inode == 0)
        return std::nullopt;
    return Listed{entry->inode, (entry->key & 1u) != 0};
}

void ListedInodes::Forget(const OpenFolder& folder, std::string_view nameBytes) {
    for (Folder& known : folders_) {
        if (known.identity == folder.identity() && known.listed) {
            if (Entry* entry = FindEntry(known, Hash(nameBytes)))
                entry->inode = 0;
        }
    }
}

}  // namespace brindle
