#pragma once

#include <list>
#include <memory>
#include <string>
#include <utility>

#include "platform/OpenFolder.h"

namespace brindle {

// The folders a batch or an Undo works in by path, each opened once (links in its path
// followed, as the user's own) and reached through its descriptor from then on. Only a
// bounded number stay open; a folder still in use stays open with its holder.
class FolderCache {
public:
    std::shared_ptr<const OpenFolder> Get(const std::u16string& path);
    void Clear() { entries_.clear(); }

private:
    static constexpr std::size_t kCapacity = 64;
    // Most recently used first.
    std::list<std::pair<std::u16string, std::shared_ptr<const OpenFolder>>> entries_;
};

}  // namespace brindle
