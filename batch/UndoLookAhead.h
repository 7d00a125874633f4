#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "batch/LogParser.h"
#include "platform/OpenFolder.h"

namespace brindle {

// A name in a folder, whatever path leads to the folder, as a hash.
std::uint64_t NameKey(const OpenFolder& folder, std::u16string_view name);

// Looks, on a thread of its own, at the items of the records Undo comes to next: their
// birth times and file handles cost two system calls an item, which Undo then need not
// wait for. What it saw is handed out only when nothing Undo did since could have
// changed it: every change Undo makes to a name is told (Touched) once made, and an
// answer whose look began before it is not used.
//
// Undo's thread calls every member; the looking thread shares with it only the count
// of changes as Undo last told it, how far Undo has come, and the slots, each handed
// over by its index.
class UndoLookAhead {
public:
    // Starts at the newest record of `log`, which must outlive it; logs of fewer records
    // than `threshold` are not looked ahead at.
    explicit UndoLookAhead(const UndoLog& log, std::size_t threshold = 64);
    ~UndoLookAhead();
    UndoLookAhead(const UndoLookAhead&) = delete;
    UndoLookAhead& operator=(const UndoLookAhead&) = delete;

    // Undo has come to record `index` (records after it in the log are done).
    void Reached(std::size_t index);
    // What stood at `name` of `folder` for record `index`, when it was looked at and is
    // still good: the result of StatWithStamp (0 or errno) and what it gave.
    bool Take(std::size_t index, const OpenFolder& folder, std::u16string_view name, int& error,
              EntryStatus& status, ItemStamp& stamp);
    // Undo has changed what `key` (NameKey) names, or, folders having moved, anything.
    void Touched(std::uint64_t key);
    void TouchedEverything();

    // Where Undo has caught up with the thread, the thread goes on this many records
    // ahead of it: the records in between are Undo's own to look at.
    static constexpr std::size_t kLead = 16;

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    // Each on lines of its own: the thread fills one while Undo reads another.
    struct alignas(64) Slot {
        // The record whose look the slot holds, set once the rest is written.
        std::atomic<std::size_t> ready{kNone};
        FileIdentity folder;
        std::string name;
        std::uint64_t key = 0;
        std::uint64_t seen = 0;  // the changes made before the look began
        int error = 0;
        EntryStatus status;
        ItemStamp stamp;
    };
    void Run();
    // Which change touched the names that share `key`'s place in touched_ last.
    std::uint64_t& TouchedAt(std::uint64_t key) { return touched_[key & touchedMask_]; }

    // Slots for this many records ahead of Undo at most.
    static constexpr std::size_t kAhead = 512;
    // A look this close to where Undo is would come too late: this thread goes on from
    // kLead records ahead of Undo instead. Looking costs more than renaming, so Undo
    // catches up again and again, and looks at the records in between itself.
    static constexpr std::size_t kCaught = 2;
    // Places for the names Undo changed, at most.
    static constexpr std::size_t kTouchedPlaces = std::size_t{1} << 16;

    const UndoLog& log_;
    std::unique_ptr<Slot[]> slots_;
    std::atomic<std::size_t> reached_;
    std::atomic<std::uint64_t> changes_{0};
    // The looking thread waits, when far enough ahead, until Undo has come to wakeAt_.
    std::mutex mutex_;
    std::condition_variable moved_;
    std::atomic<bool> waiting_{false};
    std::atomic<std::size_t> wakeAt_{kNone};
    std::atomic<bool> stopping_{false};
    // Undo's own: the changes it made, everything_ the last move of a folder, and which
    // change touched the names of each place last, a name's place chosen by its key. Names
    // that share a place spoil each other's looks: Undo then looks again itself, which
    // costs a stat, never a wrong answer.
    std::uint64_t made_ = 0;
    std::uint64_t everything_ = 0;
    std::unique_ptr<std::uint64_t[]> touched_;
    std::uint64_t touchedMask_ = 0;
    std::string nameBytes_;  // Take's, its room used again
    std::thread thread_;
};

}  // namespace brindle
