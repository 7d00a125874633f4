#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "batch/FolderCache.h"
#include "batch/ListedInodes.h"
#include "batch/LogParser.h"
#include "batch/UndoLookAhead.h"
#include "batch/UndoMarks.h"
#include "platform/OpenFolder.h"

namespace brindle {

// Puts the items of records back, one record at a time, newest first: it moves an item
// only when it is the one the batch renamed, between the folders it renamed it in, and
// finishes what a kill interrupted (a temporary step, a claim, a second link).
class UndoMover {
public:
    // `ahead`, when given, may have looked at the records' items already.
    explicit UndoMover(UndoMarks& marks, UndoLookAhead* ahead = nullptr)
        : marks_(marks), ahead_(ahead) {}

    // True when the record's item is back under its old name. `index`: the record's in
    // the log, for the look-ahead.
    bool Undo(const UndoRecord& record, std::size_t index = 0);
    // Why the last record was not put back, where a reason is known: what is there now is
    // not what the batch renamed, or what the system said. Empty otherwise.
    const std::u16string& reason() const { return reason_; }
    // The path that reason is about: the item, or a folder.
    const std::u16string& reasonPath() const { return reasonPath_; }

private:
    // Undo's steps for the record; error_ keeps the errno of the last that failed.
    bool PutBack(const UndoRecord& record, std::size_t index);
    // What is at a name now: lstat, and the stamp where the record has one to compare.
    struct Seen {
        EntryStatus status;
        ItemStamp stamp;
    };
    int Look(const OpenFolder& folder, const std::u16string& name, const UndoRecord& record,
             Seen& seen) const;
    bool IsItem(const UndoRecord& record, const Seen& seen) const;
    // IsItem, and the reason when it is not.
    bool IsTheItem(const UndoRecord& record, const Seen& seen);
    // Moves the item from `fromName` in `from` to its old name; 0 or the errno.
    int Move(const UndoRecord& record, const OpenFolder& from, const std::u16string& fromName,
             bool fromNewFolder, bool isFolder);
    bool MoveBack(const UndoRecord& record, const Seen& atNew);
    // A renamed item that the listing shows still at its new name, moved at once; nullopt
    // when the disk must be looked at first.
    std::optional<bool> MoveListedItem(const UndoRecord& record);
    bool DropSecondName(const UndoRecord& record);
    // Removes an empty claim a kill left at `name` (see UndoMover.cpp).
    bool DropClaim(const OpenFolder& folder, const std::u16string& name, const EntryStatus& item);
    // A kill between two steps of a rename left the item under a temporary name.
    bool FromTemporary(const UndoRecord& record);

    UndoMarks& marks_;
    UndoLookAhead* ahead_;
    std::size_t index_ = 0;
    FolderCache folders_;
    ListedInodes listed_;
    std::shared_ptr<const OpenFolder> oldFolder_;
    std::shared_ptr<const OpenFolder> newFolder_;
    bool stable_ = false;
    // The names of the last move, as the system takes them: their room is used again.
    std::string fromBytes_;
    std::string toBytes_;
    std::u16string reason_;
    std::u16string reasonPath_;
    int error_ = 0;
};

}  // namespace brindle
