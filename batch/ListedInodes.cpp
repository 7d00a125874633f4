#include "batch/ListedInodes.h"

#include <algorithm>
#include <functional>

namespace brindle {

std::uint64_t ListedInodes::Hash(std::string_view nameBytes) {
    return std::hash<std::string_view>{}(nameBytes) & ~std::uint64_t{1};
}

ListedInodes::Folder& ListedInodes::Of(const OpenFolder& folder) {
    for (Folder& known : folders_) {
        if (known.identity == folder.identity())
            return known;
    }
    folders_.push_back({folder.identity(), 0, false, {}});
    return folders_.back();
}

ListedInodes::Entry* ListedInodes::FindEntry(Folder& folder, std::uint64_t hash) {
    const auto byHash = [](const Entry& entry, std::uint64_t h) { return (entry.key & ~1ull) < h; };
    const auto at = std::lower_bound(folder.entries.begin(), folder.entries.end(), hash, byHash);
    if (at == folder.entries.end() || (at->key & ~1ull) != hash)
        return nullptr;
    const auto next = at + 1;
    if (next != folder.entries.end() && (next->key & ~1ull) == hash)
        return nullptr;
    return &*at;
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
        folder.Visit([&known](std::string_view name, std::uint64_t inode, bool isFolder) {
            known.entries.push_back({Hash(name) | (isFolder ? 1u : 0u), inode});
        });
        std::sort(known.entries.begin(), known.entries.end(),
                  [](const Entry& a, const Entry& b) { return a.key < b.key; });
        known.entries.shrink_to_fit();
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
