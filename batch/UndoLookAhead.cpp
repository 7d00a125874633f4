#include "batch/UndoLookAhead.h"

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
    // A look is taken at most a few thousand changes after it began: with places for
    // many more names than that, two seldom share one.
    std::size_t places = 1024;
    while (places < 2 * log.size() && places < kTouchedPlaces)
        places *= 2;
    touched_ = std::make_unique<std::uint64_t[]>(places);
    touchedMask_ = places - 1;
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
    // Told once a record rather than at every change: a look that began after a change
    // but saw an older count is only refused, never wrongly taken.
    changes_.store(made_, std::memory_order_release);
    // Without a full fence: a thread that went to sleep just now, unseen, is woken at the
    // next record instead, and Undo never waits for it.
    reached_.store(index, std::memory_order_release);
    if (waiting_.load(std::memory_order_relaxed) && index <= wakeAt_.load()) {
        // Taken and let go, so that the thread is either asleep now or sees `index`.
        { std::lock_guard lock(mutex_); }
        moved_.notify_all();
    }
    // The next record's look, most likely made by now: its lines come over while Undo
    // works on this one.
    if (index > 0) {
        const char* next = reinterpret_cast<const char*>(&slots_[(index - 1) % kAhead]);
        for (std::size_t line = 0; line < sizeof(Slot); line += 64)
            __builtin_prefetch(next + line);
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
    if (slot.key != key || slot.folder != folder.identity())
        return false;
    EncodeNameInto(name, nameBytes_);
    if (slot.name != nameBytes_)
        return false;
    // Undo changed the name, or moved folders, after the look began.
    if (everything_ > slot.seen || TouchedAt(key) > slot.seen)
        return false;
    error = slot.error;
    status = slot.status;
    stamp = slot.stamp;
    return true;
}

void UndoLookAhead::Touched(std::uint64_t key) {
    if (!thread_.joinable())
        return;
    TouchedAt(key) = ++made_;
}

void UndoLookAhead::TouchedEverything() {
    if (!thread_.joinable())
        return;
    everything_ = ++made_;
}

void UndoLookAhead::Run() {
    FolderCache folders;
    // Records come folder by folder: the folder is found again only when it changes.
    std::string_view lastDirectory;
    std::shared_ptr<const OpenFolder> folder;
    std::u16string name;
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
        // Undo has come this far, and looks at the records it comes to itself: looking at
        // them too would only make both threads look at each one. This thread goes on a
        // little ahead of it instead, where its looks are still of use.
        if (const std::size_t reached = reached_.load(); index + kCaught > reached) {
            if (reached < kLead)
                return;
            index = std::min(index, reached - kLead);
        }
        const UndoLog::Place place = log_.StampedPlaceOf(index);
        if (place.newName.empty() || place.newDirectory.empty() ||
            place.newDirectory.front() != '/' || place.newDirectory.back() != '/') {
            continue;
        }
        // The log's folders are held once each: the same folder is the same view.
        if (!folder || place.newDirectory.data() != lastDirectory.data() ||
            place.newDirectory.size() != lastDirectory.size()) {
            folder = folders.Get(DecodeName(place.newDirectory));
            lastDirectory = place.newDirectory;
        }
        if (!folder->isOpen())
            continue;
        // The slot's last record is done: Undo has come past it (see the wait above).
        Slot& slot = slots_[index % kAhead];
        slot.ready.store(kNone, std::memory_order_relaxed);
        slot.folder = folder->identity();
        slot.name.assign(place.newName);
        DecodeNameInto(place.newName, name);
        slot.key = NameKey(*folder, name);
        // What Undo changed before the look began; a change made after it shows later.
        slot.seen = changes_.load(std::memory_order_acquire);
        slot.error = folder->StatWithStamp(slot.name, slot.status, slot.stamp);
        slot.ready.store(index, std::memory_order_release);
    }
}

}  // namespace brindle
