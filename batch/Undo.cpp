#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>
#include <cstring>
#include <unordered_set>

#include "batch/FolderCache.h"
#include "batch/LogParser.h"
#include "batch/Messages.h"
#include "batch/RenameLog.h"
#include "batch/RenameSession.h"
#include "platform/ExclusiveFile.h"
#include "platform/FileSystem.h"
#include "platform/FolderRename.h"
#include "platform/NameCodec.h"
#include "platform/OpenFolder.h"

namespace brindle {

namespace {

std::int32_t LengthOf(const std::u16string& text) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::min(text.size(), kMax));
}

// Brindle logs absolute folders that end with '/'. Any other text (a log edited by hand)
// would reach into the working directory or glue a name onto a folder's name.
bool IsLoggedFolder(const std::u16string& folder) {
    return !folder.empty() && folder.front() == u'/' && folder.back() == u'/';
}

// The marks Undo leaves in the log while it holds its lock: an undone record is never
// replayed, and a temporary step is found again after a kill.
class UndoMarks {
public:
    UndoMarks(ExclusiveFile& file, const UndoLog& log) : file_(file) {
        usable_ = file.writable();
        if (!usable_)
            return;
        // A torn last line is never read: cut it off rather than complete it. A chain a
        // torn record left open would swallow the marks: close it.
        const auto complete = static_cast<std::int64_t>(log.completeBytes());
        if (complete != file.Size() && file.Truncate(complete) != 0) {
            usable_ = false;
            return;
        }
        if (!log.endsClosed()) {
            pending_ += kLogSeparator;
            pending_ += kLogLineEnd;
        }
    }
    ~UndoMarks() { Flush(); }
    UndoMarks(const UndoMarks&) = delete;
    UndoMarks& operator=(const UndoMarks&) = delete;

    // The marks of undone records are written a few hundred at a time. A record whose
    // mark is still pending has left its new name free; should a later move fill that
    // name again, a rerun after a kill would take that file for the record's item: so the
    // marks are written before such a move (`target`, the name it fills).
    void BeforeMoveTo(std::uint64_t target) {
        if (pendingSources_.contains(target))
            Flush();
    }
    void Undone(std::uint64_t offset, std::uint64_t source) {
        AppendLine(kLogKeyUndone, offset, {});
        pendingSources_.insert(source);
        if (++pendingCount_ >= kMarksAtOnce)
            Flush();
    }

    void Claimed(std::uint64_t offset, bool newName, bool claimed) {
        AppendLine(claimed ? kLogKeyClaimed : kLogKeyUnclaimed, offset,
                   newName ? kLogTemporaryInNew : kLogTemporaryInOld);
        Flush();
    }

    bool Temporary(std::uint64_t offset, std::u16string_view name, bool inNewFolder) {
        std::string tail(inNewFolder ? kLogTemporaryInNew : kLogTemporaryInOld);
        tail += ' ';
        tail += EncodeName(name);
        AppendLine(kLogKeyTemporary, offset, tail);
        return Flush(true);
    }

    // Writes what is pending; `durable`: and makes it durable.
    bool Flush(bool durable = false) {
        pendingSources_.clear();
        pendingCount_ = 0;
        if (!usable_ || pending_.empty()) {
            pending_.clear();
            return usable_;
        }
        const bool written = file_.Write(pending_) == 0;
        pending_.clear();
        return written && (!durable || file_.Sync() == 0);
    }

private:
    static constexpr std::size_t kMarksAtOnce = 256;

    void AppendLine(std::string_view key, std::uint64_t offset, std::string_view tail) {
        pending_ += key;
        char digits[24];
        pending_.append(digits, std::to_chars(digits, digits + sizeof digits, offset).ptr);
        if (!tail.empty()) {
            pending_ += ' ';
            pending_ += tail;
        }
        pending_ += kLogLineEnd;
    }

    ExclusiveFile& file_;
    bool usable_ = false;
    std::string pending_;
    std::size_t pendingCount_ = 0;
    std::unordered_set<std::uint64_t> pendingSources_;
};

// Records Undo's own temporary steps (a change of letter case on a filesystem that
// ignores case) before they are taken.
class UndoSteps final : public RenameSteps {
public:
    UndoSteps(UndoMarks& marks, std::uint64_t offset, bool fromNewFolder)
        : marks_(marks), offset_(offset), fromNewFolder_(fromNewFolder) {}
    // A temporary name lies in the folder the item leaves.
    bool BeforeTemporaryStep(std::u16string_view temporaryName) override {
        return marks_.Temporary(offset_, temporaryName, fromNewFolder_);
    }
    // Undo's target is the old name; going back after a failed step, the new one.
    void BeforeClaim(bool atSource) override { marks_.Claimed(offset_, atSource, true); }
    void ClaimRefused(bool atSource) override { marks_.Claimed(offset_, atSource, false); }

private:
    UndoMarks& marks_;
    std::uint64_t offset_;
    bool fromNewFolder_;
};

// Puts the items of records back, one record at a time.
class UndoMover {
public:
    explicit UndoMover(UndoMarks& marks) : marks_(marks) {}

    // True when the record's item is back under its old name.
    bool Undo(const UndoRecord& record) {
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
        if (!oldFolder_->isOpen() || !newFolder_->isOpen())
            return false;
        stable_ = oldFolder_->inodesStable() && newFolder_->inodesStable();
        if (record.marked && stable_) {
            // A folder swapped for another (a link put in its place, say) since the batch.
            if (!Matches(oldFolder_->identity().inode, record.oldFolderInode) ||
                !Matches(newFolder_->identity().inode, record.newFolderInode)) {
                return false;
            }
        }
        if (FromTemporary(record))
            return true;
        EntryStatus atNew;
        if (newFolder_->Stat(names.newName, atNew) != 0)
            return false;
        if (!record.marked) {
            // Written before outcomes were marked: what exists at the new name goes back.
            return MoveBack(record, atNew);
        }
        if (record.outcome == RecordOutcome::Failed)
            return false;
        if (record.outcome == RecordOutcome::Renamed) {
            if (!IsItem(record, atNew))
                return false;
            // The old name is free as a rule: only when it is not, is it looked at.
            const int error = Move(record, *newFolder_, names.newName, true, atNew.isFolder);
            if (error != EEXIST)
                return error == 0;
        }
        EntryStatus atOld;
        bool oldTaken = oldFolder_->Stat(names.oldName, atOld) == 0;
        if (oldTaken && IsSecondName(record, atNew, atOld))
            return DropSecondName(record);
        // An empty claim a killed Undo made of the old name.
        if (oldTaken && record.claimedOld && DropClaim(*oldFolder_, names.oldName, atNew))
            oldTaken = false;
        if (record.outcome == RecordOutcome::Renamed || !oldTaken)
            return IsItem(record, atNew) && MoveBack(record, atNew);
        // A kill came between the record and the mark of its outcome, and both names lead
        // somewhere: did the rename happen? Where the folder takes both spellings for one
        // entry, its listing tells which spelling the entry has.
        if (oldFolder_->identity() == newFolder_->identity()) {
            const bool newListed = ListsNow(*newFolder_, names.newName);
            const bool oldListed = ListsNow(*oldFolder_, names.oldName);
            if (newListed && !oldListed)
                return IsItem(record, atNew) && MoveBack(record, atNew);
            if (oldListed && !newListed)
                return false;
        }
        // It never happened; an empty claim of the target may be left.
        if (record.claimedNew && IsItem(record, atOld))
            DropClaim(*newFolder_, names.newName, atOld);
        return false;
    }

private:
    static bool Matches(std::uint64_t now, std::uint64_t logged) {
        return logged == 0 || now == logged;
    }
    bool IsItem(const UndoRecord& record, const EntryStatus& status) const {
        return !stable_ || Matches(status.identity.inode, record.itemInode);
    }

    // Whether the folder's listing holds an entry spelled exactly `name` now.
    static bool ListsNow(const OpenFolder& folder, const std::u16string& name) {
        for (const FolderEntry& entry : folder.List()) {
            if (entry.name == name)
                return true;
        }
        return false;
    }

    // A name in a folder, whatever path leads to the folder, as a hash: two names that
    // share one cost no more than an early write of the marks.
    static std::uint64_t Key(const OpenFolder& folder, std::u16string_view name) {
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

    int Move(const UndoRecord& record, const OpenFolder& from, const std::u16string& fromName,
             bool fromNewFolder, bool isFolder) {
        marks_.BeforeMoveTo(Key(*oldFolder_, record.names.oldName));
        UndoSteps steps(marks_, record.offset, fromNewFolder);
        const int error =
            RenameNoReplace(from, fromName, *oldFolder_, record.names.oldName, &steps);
        if (error != 0)
            return error;
        // Folders opened below a folder that moved would lead to the wrong places.
        if (isFolder)
            folders_.Clear();
        marks_.Undone(record.offset, Key(from, fromName));
        return 0;
    }
    bool MoveBack(const UndoRecord& record, const EntryStatus& atNew) {
        return Move(record, *newFolder_, record.names.newName, true, atNew.isFolder) == 0;
    }

    // Both names lead to one file, with one link more than the item had before the
    // batch: a hard link made for a rename (the batch's or Undo's), its other name not
    // yet removed when a kill came.
    static bool IsSecondName(const UndoRecord& record, const EntryStatus& atNew,
                             const EntryStatus& atOld) {
        return atNew.identity == atOld.identity && !atNew.isFolder && record.itemLinks != 0 &&
               atNew.links == record.itemLinks + 1;
    }
    bool DropSecondName(const UndoRecord& record) {
        const std::string bytes = EncodeName(record.names.newName);
        if (unlinkat(newFolder_->fd(), bytes.c_str(), 0) != 0)
            return false;
        marks_.Undone(record.offset, Key(*newFolder_, record.names.newName));
        return true;
    }

    // Removes an empty file or folder of the item's kind spelled exactly `name` that is
    // not `item`: a claim a rename made and a kill left behind. rmdir refuses a folder
    // that is not empty. True when it was removed.
    static bool DropClaim(const OpenFolder& folder, const std::u16string& name,
                          const EntryStatus& item) {
        EntryStatus claim;
        if (folder.Stat(name, claim) != 0 || claim.identity == item.identity)
            return false;
        // Where spellings share an entry, the name may lead to the item itself.
        if (!ListsNow(folder, name))
            return false;
        const std::string bytes = EncodeName(name);
        if (item.isFolder && claim.isFolder)
            return unlinkat(folder.fd(), bytes.c_str(), AT_REMOVEDIR) == 0;
        if (!item.isFolder && claim.isRegular && claim.size == 0)
            return unlinkat(folder.fd(), bytes.c_str(), 0) == 0;
        return false;
    }

    // A kill between two steps of a rename left the item under a temporary name. Such a
    // rename only goes between two spellings of one entry or two links of one file, so
    // an empty file at either name is a claim of that rename's.
    bool FromTemporary(const UndoRecord& record) {
        for (auto step = record.temporarySteps.rbegin(); step != record.temporarySteps.rend();
             ++step) {
            const OpenFolder& folder = step->inNewFolder ? *newFolder_ : *oldFolder_;
            EntryStatus atTemporary;
            if (folder.Stat(step->name, atTemporary) != 0 || !IsItem(record, atTemporary))
                continue;
            DropClaim(*newFolder_, record.names.newName, atTemporary);
            DropClaim(*oldFolder_, record.names.oldName, atTemporary);
            return Move(record, folder, step->name, step->inNewFolder, atTemporary.isFolder) == 0;
        }
        return false;
    }

    UndoMarks& marks_;
    FolderCache folders_;
    std::shared_ptr<const OpenFolder> oldFolder_;
    std::shared_ptr<const OpenFolder> newFolder_;
    bool stable_ = false;
};

}  // namespace

UndoOutcome RenameSession::OnUndo() {
    undoEnabled_.reset();
    // Our own writer's lock would keep Undo out.
    CloseLog();

    // The lock is held from the first read until the log is deleted or kept, so that no
    // batch can log (and rename) in between and have its records deleted with the log.
    const std::u16string path = logPath();
    ExclusiveFile file;
    UndoLog records;
    std::int64_t readOffset = 0;
    const auto read = [&](char* buffer, std::size_t size) {
        const long got = file.ReadAt(readOffset, buffer, size);
        readOffset += got > 0 ? got : 0;
        return got;
    };
    if (file.OpenForReadAndAppend(path) != 0 || !records.Read(read)) {
        host_.ShowMessage(kTextErrorOpeningFile, u"", MessageIcon::Warning);
        undoEnabled_ = false;
        return UndoOutcome::LogNotOpened;
    }
    if (options_.deleteContents) {
        stats_.totalFiles = 0;
        stats_.changedFiles = 0;
        stats_.exceptions = 0;
        stats_.maxInputLength = 0;
        stats_.maxOutputLength = 0;
    }

    // Every record is read first, then undone newest first: an item renamed twice goes
    // back through both names, and a renamed folder gets its old name back before its
    // contents are looked for in it.
    UndoMarks marks(file, records);
    UndoMover mover(marks);
    bool errors = false;
    for (std::size_t index = records.size(); index-- > 0;) {
        const UndoRecord record = records.At(index);
        const LogRecord& names = record.names;
        if (names.newName == names.oldName && names.newDirectory == names.oldDirectory)
            continue;
        stats_.maxInputLength = std::max(stats_.maxInputLength, LengthOf(names.oldName));
        stats_.maxOutputLength = std::max(stats_.maxOutputLength, LengthOf(names.newName));

        RowData row;
        row.input = names.newName;
        row.output = names.oldName;
        row.countShown = false;
        row.folder = names.oldDirectory;
        if (!mover.Undo(record)) {
            stats_.exceptions = WrappingIncrement(stats_.exceptions);
            errors = true;
            row.image = kImageCross;
            row.suffix = RowSuffix::ErrorOpening;
        }
        host_.AddOutputRow(row);
        stats_.nextRow = WrappingIncrement(stats_.nextRow);
        stats_.totalFiles = WrappingIncrement(stats_.totalFiles);
    }

    // Every mark is in the log before the question: the log may be kept.
    marks.Flush();
    const bool remove =
        errors ? host_.AskYesNo(kTextDeleteLogWarning, kCaptionErrors, MessageIcon::Warning)
               : host_.AskYesNo(kTextDeleteLogQuestion, kApplicationName, MessageIcon::Question);
    if (remove) {
        const int error = file.RemoveFrom(path);
        file.Close();
        if (error != 0) {
            const bool diskFull = IsDiskFullError(error);
            host_.ShowMessage(FileErrorText(error, diskFull ? LogFullPath() : options_.logFileName),
                              u"", MessageIcon::Stop);
            return diskFull ? UndoOutcome::DiskFull : UndoOutcome::DeleteFailed;
        }
        undoEnabled_ = false;
    }
    file.Close();
    host_.SetStatus(stats_);
    return UndoOutcome::Completed;
}

}  // namespace brindle
