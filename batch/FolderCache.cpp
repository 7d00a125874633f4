#include "batch/FolderCache.h"

namespace brindle {

std::shared_ptr<const OpenFolder> FolderCache::Get(const std::u16string& path) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->first == path) {
            if (it != entries_.begin())
                entries_.splice(entries_.begin(), entries_, it);
            return entries_.front().second;
        }
    }
    if (entries_.size() >= kCapacity)
        entries_.pop_back();
    entries_.emplace_front(path, std::make_shared<const OpenFolder>(OpenFolder::AtPath(path)));
    return entries_.front().second;
}

}  // namespace brindle
