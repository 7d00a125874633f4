#include "batch/UndoLookAhead.h"

#include <algorithm>

#include "batch/FolderCache.h"
#include "platform/NameCodec.h"

namespace brindle {

std::uint64_t NameKey(const OpenFolder& folder, std::u16string_view name) {
    const FileIdentity& identity = folder.identity();
    std::uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](std::uint64_t value) {
        hash ^= value;
        hash *= 1099511628211ull;
    };
    mix(identity.device);
    mix(identity.inode);
    for (const char16_t unit : name)
        mix(unit);
    return hash;
}

UndoLookAhead::UndoLookAhead(const UndoLog& log, std::size_t threshold)
    : log_(log), reached_(log.size()) {
    if (log.size() < threshold)
        return;
    slots_ = std::make_unique<Slot[]>(kAhead);
    thread_ = std::thread(&UndoLookAhead::Run, this);
}

UndoLookAhead::~UndoLookAhead() {
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    moved_.notify_all();
    thread_.join();
}

void UndoLookAhead::Reached(std::size_t index) {
    if (!thread_.joinable())
        return;
    reached_.store(index);
    changesWhenReached_.push_back(changes_.load());
    if (changesWhenReached_.size() > kAhead + 1)
        changesWhenReached_.pop_front();
    if (waiting_.load() && index <= wakeAt_.load()) {
        // Taken and let go, so that the thread is either asleep now or sees `index`.
        { std::lock_guard lock(mutex_); }
        moved_.notify_all();
    }
}

bool UndoLookAhead::Take(std::size_t index, const OpenFolder& folder, std::u16string_view name,
                         int& error, EntryStatus& status, ItemStamp& stamp) {
    if (!slots_)
        return false;
    const Slot& slot = slots_[index % kAhead];
    if (slot.ready.load(std::memory_order_acquire) != index)
        return false;
    const std::uint64_t key = NameKey(folder, name);
    if (slot.key != key || slot.folder != folder.identity() || slot.name != EncodeName(name))
        return false;
    // Undo changed the name, or moved folders, after the look began.
    const auto touched = touched_.find(key);
    if (everything_ > slot.seen || (touched != touched_.end() && touched->second > slot.seen))
        return false;
    error = slot.error;
    status = slot.status;
    stamp = slot.stamp;
    return true;
}

void UndoLookAhead::Touched(std::uint64_t key) {
    if (!thread_.joinable())
        return;
    touched_[key] = changes_.fetch_add(1) + 1;
    if (touched_.size() > pruneAt_) {
        // Every look still to be taken began after Undo reached the record a whole
        // look-ahead back: changes before then can spoil none.
        const std::uint64_t before = changesWhenReached_.front();
        std::erase_if(touched_, [before](const auto& each) { return each.second <= before; });
        pruneAt_ = std::max(4 * kAhead, 2 * touched_.size());
    }
}

void UndoLookAhead::TouchedEverything() {
    if (!thread_.joinable())
        return;
    everything_ = changes_.fetch_add(1) + 1;
}

void UndoLookAhead::Run() {
    FolderCache folders;
    for (std::size_t index = log_.size(); index-- > 0;) {
        if (reached_.load() >= index + kAhead) {
            // Far enough ahead: on again once Undo has come half the way.
            std::unique_lock lock(mutex_);
            wakeAt_.store(index + kAhead / 2);
            waiting_.store(true);
            moved_.wait(lock,
                        [&] { return stopping_.load() || reached_.load() <= wakeAt_.load(); });
            waiting_.store(false);
        }
        if (stopping_.load())
            return;
        // Undo passed it already.
        if (index > reached_.load())
            continue;
        const UndoLog::Place place = log_.StampedPlaceOf(index);
        if (place.newName.empty() || place.newDirectory.empty() ||
            place.newDirectory.front() != '/' || place.newDirectory.back() != '/') {
            continue;
        }
        const std::shared_ptr<const OpenFolder> folder =
            folders.Get(DecodeName(place.newDirectory));
        if (!folder->isOpen())
            continue;
        // The slot's last record is done: Undo has come past it (see the wait above).
        Slot& slot = slots_[index % kAhead];
        slot.ready.store(kNone, std::memory_order_relaxed);
        slot.folder = folder->identity();
        slot.name.assign(place.newName);
        slot.key = NameKey(*folder, DecodeName(place.newName));
        // What Undo changed before the look began; a change made after it shows later.
        slot.seen = changes_.load();
        slot.error = folder->StatWithStamp(slot.name, slot.status, slot.stamp);
        slot.ready.store(index, std::memory_order_release);
    }
}

}  // namespace brindle
