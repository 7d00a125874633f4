#include "batch/UndoMover.h"

#include <cerrno>
#include <string>
#include <tuple>

#include "platform/FileSystem.h"
#include "platform/FolderRename.h"
#include "platform/NameCodec.h"

namespace brindle {

namespace {

// Brindle logs absolute folders that end with '/'. Any other text (a log edited by hand)
// would reach into the working directory or glue a name onto a folder's name.
bool IsLoggedFolder(const std::u16string& folder) {
    return !folder.empty() && folder.front() == u'/' && folder.back() == u'/';
}

bool Matches(std::uint64_t now, std::uint64_t logged) {
    return logged == 0 || now == logged;
}

// Every part the log knows is there now, byte for byte.
bool StampMatches(const ItemStamp& now, const ItemStamp& logged) {
    if (logged.hasBirth && (!now.hasBirth || now.birthSeconds != logged.birthSeconds ||
                            now.birthNanoseconds != logged.birthNanoseconds)) {
        return false;
    }
    return logged.handle.empty() ||
           (now.handleType == logged.handleType && now.handle == logged.handle);
}

// Whether the folder's listing holds an entry spelled exactly `name` now.
bool ListsNow(const OpenFolder& folder, const std::u16string& name) {
    for (const FolderEntry& entry : folder.List()) {
        if (entry.name == name)
            return true;
    }
    return false;
}

// A name in a folder, whatever path leads to the folder, as a hash: two names that
// share one cost no more than an early write of the marks, or a look made again.
std::uint64_t Key(const OpenFolder& folder, std::u16string_view name) {
    return NameKey(folder, name);
}

// Both names lead to one file, with one link more than the item had before the
// batch: a hard link made for a rename (the batch's or Undo's), its other name not
// yet removed when a kill came.
bool IsSecondName(const UndoRecord& record, const EntryStatus& atNew, const EntryStatus& atOld) {
    return atNew.identity == atOld.identity && !atNew.isFolder && record.itemLinks != 0 &&
           atNew.links == record.itemLinks + 1;
}

}  // namespace

// Removes an empty file or folder of the item's kind spelled exactly `name` that is
// not `item`: a claim a rename made and a kill left behind. rmdir refuses a folder
// that is not empty. True when it was removed.
bool UndoMover::DropClaim(const OpenFolder& folder, const std::u16string& name,
                          const EntryStatus& item) {
    EntryStatus claim;
    if (folder.Stat(name, claim) != 0 || claim.identity == item.identity)
        return false;
    // Where spellings share an entry, the name may lead to the item itself.
    if (!ListsNow(folder, name))
        return false;
    const std::string bytes = EncodeName(name);
    bool dropped = false;
    if (item.isFolder && claim.isFolder)
        dropped = folder.RemoveEntry(bytes, true) == 0;
    else if (!item.isFolder && claim.isRegular && claim.size == 0)
        dropped = folder.RemoveEntry(bytes, false) == 0;
    if (dropped && ahead_)
        ahead_->Touched(Key(folder, name));
    return dropped;
}

bool UndoMover::Undo(const UndoRecord& record, std::size_t index) {
    reason_.clear();
    reasonPath_.clear();
    error_ = 0;
    if (PutBack(record, index))
        return true;
    // Only a rename the log says happened is a failure when it cannot be taken back: one
    // a kill cut off may never have happened.
    const bool renamed = record.marked && record.outcome == RecordOutcome::Renamed;
    if (reason_.empty() && error_ != 0 && renamed && !record.undone) {
        // What the system said of the last step that failed.
        reasonPath_ = record.names.newDirectory + record.names.newName;
        if (error_ == EEXIST)
            reason_ = u"its old name is taken (" + record.names.oldName + u")";
        else
            reason_ = SystemErrorText(error_);
    }
    return false;
}

bool UndoMover::PutBack(const UndoRecord& record, std::size_t index) {
    index_ = index;
    const LogRecord& names = record.names;
    // A record whose chain broke borrows names from the record before it: moving on
    // them would send that record's item somewhere it never was. A name that cannot
    // be a name (a log edited by hand, say) never takes a path elsewhere.
    if (!record.whole || record.undone)
        return false;
    if (!IsUsableName(names.oldName) || !IsUsableName(names.newName))
        return false;
    if (!IsLoggedFolder(names.oldDirectory) || !IsLoggedFolder(names.newDirectory))
        return false;
    oldFolder_ = folders_.Get(names.oldDirectory);
    newFolder_ = folders_.Get(names.newDirectory);
    if (!oldFolder_->isOpen() || !newFolder_->isOpen()) {
        const bool oldShut = !oldFolder_->isOpen();
        reasonPath_ = oldShut ? names.oldDirectory : names.newDirectory;
        reason_ = u"cannot open folder: " +
                  SystemErrorText(oldShut ? oldFolder_->error() : newFolder_->error());
        return false;
    }
    stable_ = oldFolder_->inodesStable() && newFolder_->inodesStable();
    if (record.marked && stable_) {
        // A folder swapped for another (a link put in its place, say, or one removed and
        // made anew) since the batch.
        for (const auto& [folder, inode, stamp] :
             {std::tuple(oldFolder_.get(), record.oldFolderInode, &record.oldFolderStamp),
              std::tuple(newFolder_.get(), record.newFolderInode, &record.newFolderStamp)}) {
            if (!Matches(folder->identity().inode, inode) ||
                !StampMatches(folder->stamp(), *stamp)) {
                reasonPath_ = folder == oldFolder_.get() ? names.oldDirectory : names.newDirectory;
                reason_ =
                    u"not put back: this folder is not the one the batch renamed in (another "
                    u"has taken its place since)";
                return false;
            }
        }
    }
    if (FromTemporary(record))
        return true;
    if (const std::optional<bool> moved = MoveListedItem(record))
        return *moved;
    Seen atNew;
    // Nothing at the new name: never renamed, or put back already; the row says so.
    if (Look(*newFolder_, names.newName, record, atNew) != 0)
        return false;
    if (!record.marked) {
        // Written before outcomes were marked: what exists at the new name goes back.
        return MoveBack(record, atNew);
    }
    if (record.outcome == RecordOutcome::Failed)
        return false;
    if (record.outcome == RecordOutcome::Renamed) {
        if (!IsTheItem(record, atNew))
            return false;
        // The old name is free as a rule: only when it is not, is it looked at.
        const int error = Move(record, *newFolder_, names.newName, true, atNew.status.isFolder);
        if (error != EEXIST)
            return error == 0;
    }
    Seen atOld;
    bool oldTaken = Look(*oldFolder_, names.oldName, record, atOld) == 0;
    if (oldTaken && IsSecondName(record, atNew.status, atOld.status))
        return DropSecondName(record);
    // An empty claim a killed Undo made of the old name.
    if (oldTaken && record.claimedOld && DropClaim(*oldFolder_, names.oldName, atNew.status)) {
        listed_.Clear();
        oldTaken = false;
    }
    if (record.outcome == RecordOutcome::Renamed || !oldTaken)
        return IsTheItem(record, atNew) && MoveBack(record, atNew);
    // A kill came between the record and the mark of its outcome, and both names lead
    // somewhere: did the rename happen? Where the folder takes both spellings for one
    // entry, its listing tells which spelling the entry has.
    if (oldFolder_->identity() == newFolder_->identity()) {
        const bool newListed = ListsNow(*newFolder_, names.newName);
        const bool oldListed = ListsNow(*oldFolder_, names.oldName);
        if (newListed && !oldListed)
            return IsTheItem(record, atNew) && MoveBack(record, atNew);
        if (oldListed && !newListed) {
            error_ = 0;  // never renamed: nothing failed
            return false;
        }
    }
    // It never happened; an empty claim of the target may be left.
    if (record.claimedNew && IsItem(record, atOld) &&
        DropClaim(*newFolder_, names.newName, atOld.status))
        listed_.Clear();
    error_ = 0;
    return false;
}

std::optional<bool> UndoMover::MoveListedItem(const UndoRecord& record) {
    // A listing tells inode numbers only: it is exact only for records that know no more.
    if (!record.marked || record.outcome != RecordOutcome::Renamed || !stable_ ||
        record.itemInode == 0 || !record.itemStamp.empty())
        return std::nullopt;
    const std::optional<ListedInodes::Listed> listed =
        listed_.Find(*newFolder_, EncodeName(record.names.newName));
    if (!listed || listed->inode != record.itemInode)
        return std::nullopt;
    const int error = Move(record, *newFolder_, record.names.newName, true, listed->isFolder);
    // The old name taken: the disk decides, as without the listing.
    if (error == EEXIST)
        return std::nullopt;
    return error == 0;
}

int UndoMover::Look(const OpenFolder& folder, const std::u16string& name, const UndoRecord& record,
                    Seen& seen) const {
    if (stable_ && !record.itemStamp.empty()) {
        int error = 0;
        if (ahead_ && ahead_->Take(index_, folder, name, error, seen.status, seen.stamp))
            return error;
        return folder.StatWithStamp(EncodeName(name), seen.status, seen.stamp);
    }
    seen.stamp = ItemStamp{};
    return folder.Stat(name, seen.status);
}

bool UndoMover::IsItem(const UndoRecord& record, const Seen& seen) const {
    return !stable_ || (Matches(seen.status.identity.inode, record.itemInode) &&
                        StampMatches(seen.stamp, record.itemStamp));
}

bool UndoMover::IsTheItem(const UndoRecord& record, const Seen& seen) {
    if (IsItem(record, seen))
        return true;
    reasonPath_ = record.names.newDirectory + record.names.newName;
    reason_ =
        u"not put back: it is not the item the batch renamed (another has taken its name "
        u"since)";
    return false;
}

int UndoMover::Move(const UndoRecord& record, const OpenFolder& from,
                    const std::u16string& fromName, bool fromNewFolder, bool isFolder) {
    // Each name's key and bytes, once: Undo pays for them on every record.
    const std::uint64_t fromKey = Key(from, fromName);
    const std::uint64_t toKey = Key(*oldFolder_, record.names.oldName);
    EncodeNameInto(fromName, fromBytes_);
    EncodeNameInto(record.names.oldName, toBytes_);
    marks_.BeforeMoveTo(toKey);
    UndoSteps steps(marks_, record.offset, fromNewFolder);
    const int error = RenameNoReplaceBytes(from, fromBytes_, *oldFolder_, toBytes_, &steps);
    // Both names may hold something else now, even after a failure midway.
    if (ahead_) {
        if (isFolder) {
            ahead_->TouchedEverything();
        } else {
            ahead_->Touched(fromKey);
            ahead_->Touched(toKey);
        }
    }
    if (error != 0) {
        error_ = error;
        return error;
    }
    // Folders opened below a folder that moved would lead to the wrong places.
    if (isFolder) {
        folders_.Clear();
        listed_.Clear();
    } else {
        // Neither name is what the listing saw any more.
        listed_.Forget(from, fromBytes_);
        listed_.Forget(*oldFolder_, toBytes_);
    }
    marks_.Undone(record.offset, fromKey);
    return 0;
}

bool UndoMover::MoveBack(const UndoRecord& record, const Seen& atNew) {
    return Move(record, *newFolder_, record.names.newName, true, atNew.status.isFolder) == 0;
}

bool UndoMover::DropSecondName(const UndoRecord& record) {
    const std::string bytes = EncodeName(record.names.newName);
    if (newFolder_->RemoveEntry(bytes, false) != 0)
        return false;
    if (ahead_)
        ahead_->Touched(Key(*newFolder_, record.names.newName));
    listed_.Forget(*newFolder_, bytes);
    marks_.Undone(record.offset, Key(*newFolder_, record.names.newName));
    return true;
}

// A kill between two steps of a rename left the item under a temporary name. Such a
// rename only goes between two spellings of one entry or two links of one file, so
// an empty file at either name is a claim of that rename's.
bool UndoMover::FromTemporary(const UndoRecord& record) {
    for (auto step = record.temporarySteps.rbegin(); step != record.temporarySteps.rend(); ++step) {
        const OpenFolder& folder = step->inNewFolder ? *newFolder_ : *oldFolder_;
        Seen atTemporary;
        if (Look(folder, step->name, record, atTemporary) != 0 || !IsItem(record, atTemporary))
            continue;
        DropClaim(*newFolder_, record.names.newName, atTemporary.status);
        DropClaim(*oldFolder_, record.names.oldName, atTemporary.status);
        listed_.Clear();
        return Move(record, folder, step->name, step->inNewFolder, atTemporary.status.isFolder) ==
               0;
    }
    return false;
}

}  // namespace brindle
