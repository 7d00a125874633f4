// RenameSession: applying a group of planned items: each looked at, their records
// written, then each renamed, with its row and the statistics.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>

#include "batch/ItemRules.h"
#include "batch/Messages.h"
#include "batch/RenameLog.h"
#include "batch/RenameSession.h"
#include "engine/TextOps.h"
#include "platform/FileSystem.h"
#include "platform/FolderRename.h"
#include "platform/NameCodec.h"
#include "platform/OpenFolder.h"

namespace brindle {

namespace {

void RaiseTo(std::int32_t& maximum, std::int32_t value) {
    maximum = std::max(maximum, value);
}

}  // namespace

bool RenameSession::Recordable(const Plan& plan, const PlanItem& item) {
    // A line break would split its line: the record could not be read back, and a name
    // could forge records of its own.
    return !HoldsLineBreak(item.oldName) && !HoldsLineBreak(item.newName) &&
           !plan.folders[item.folder].holdsLineBreak &&
           !plan.folders[item.newFolder].holdsLineBreak;
}

RenameRecord RenameSession::RecordOf(const Plan& plan, const GroupItem& entry) const {
    const PlanItem& item = entry.item;
    const EntryStatus* status = entry.statusKnown ? &entry.status : nullptr;
    const OpenFolder* from = entry.renaming ? entry.from.get() : nullptr;
    const OpenFolder* to = entry.renaming ? entry.to.get() : nullptr;
    return RenameRecord{
        .currentDirectory = plan.folderOf(item),
        .newDirectory = plan.newFolderOf(item),
        .oldName = item.oldName,
        .newName = item.newName,
        .countSymbols = settings_.countSymbols,
        .symbolCount = item.symbolCount,
        .itemInode = status ? status->identity.inode : 0,
        .itemLinks = status ? status->links : 0,
        .oldFolderInode = from && from->isOpen() ? from->identity().inode : 0,
        .newFolderInode = to && to->isOpen() ? to->identity().inode : 0,
        .itemStamp = status ? &entry.stamp : nullptr,
        .oldFolderStamp = from && from->isOpen() ? &from->stamp() : nullptr,
        .newFolderStamp = to && to->isOpen() ? &to->stamp() : nullptr,
    };
}

void RenameSession::StampGroup(GroupItem* items, std::size_t count, bool onlyLog) {
    std::atomic<std::size_t> next{0};
    StampClaimed(items, count, next, onlyLog);
}

void RenameSession::StampClaimed(GroupItem* items, std::size_t count,
                                 std::atomic<std::size_t>& next, bool onlyLog) {
    for (;;) {
        const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
        if (i >= count)
            return;
        GroupItem& entry = items[i];
        entry.stamp = ItemStamp{};
        entry.statusKnown = false;
        entry.stamped = true;
        // Who the item is for good, so that Undo never takes a later file for it.
        if (entry.item.changed() && !onlyLog) {
            entry.statusKnown = entry.from->StatWithStamp(EncodeName(entry.item.oldName),
                                                          entry.status, entry.stamp) == 0;
        }
    }
}

void RenameSession::ApplyGroup(const Plan& plan, Group& group, std::size_t count,
                               BatchPlanner& planner) {
    // A stop before the group is written leaves no record of it.
    if (StopDue())
        return;
    const bool logged = settings_.writeLogFile;
    if (logged && count > 0 && !group[0].stamped)
        StampGroup(group.data(), count, settings_.onlyLog);
    // Each item is looked at where the plan says it is, before its record: the record
    // carries what the item is, and the log and its folders are never renamed.
    for (std::size_t i = 0; i < count; ++i) {
        GroupItem& entry = group[i];
        entry.renaming = entry.item.changed() && !settings_.onlyLog;
        if (logged) {
            // Looked at already (StampGroup).
        } else if (entry.renaming && (settings_.skipReadOnly || logGuard_.active())) {
            // Where inode numbers are stable, the listing's number is the item's: no lstat
            // is needed for who it is, only for whether it may be written.
            if (!settings_.skipReadOnly && entry.item.inode != 0 && entry.from->inodesStable()) {
                entry.status = EntryStatus{};
                entry.status.identity = {entry.from->identity().device, entry.item.inode};
                entry.statusKnown = true;
            } else {
                entry.statusKnown = entry.from->Stat(entry.item.oldName, entry.status) == 0;
            }
        } else {
            entry.statusKnown = false;
        }
        entry.isTheLog = entry.statusKnown && logGuard_.Guards(entry.status.identity);
        entry.losesContents = entry.renaming && entry.item.droppedFolder() &&
                              mounts_.FolderRenamesLoseContents(entry.from->identity().device);
        entry.offset = -1;
    }
    bool recordsWritten = false;
    if (logged) {
        // The records of the whole group go to the log before any of them is renamed.
        log_->BeginGroup(count);
        std::size_t added = 0;
        for (std::size_t i = 0; i < count; ++i) {
            GroupItem& entry = group[i];
            entry.groupIndex = -1;
            if (entry.isTheLog || entry.item.unreadableFolder() || !Recordable(plan, entry.item))
                continue;
            log_->AddToGroup(RecordOf(plan, entry));
            entry.groupIndex = static_cast<std::int64_t>(added++);
        }
        const LogWriteResult result =
            added == 0 ? LogWriteResult::Written : log_->WriteGroup(logPath(), true);
        if (result == LogWriteResult::DiskFull) {
            // Nothing of this group is renamed: the batch stops where the last one left it.
            StopForDiskFull(log_->lastError());
            return;
        }
        groupLogError_ = result == LogWriteResult::Failed ? log_->lastError() : 0;
        if (result == LogWriteResult::Failed && logFailure_ == 0) {
            logFailure_ = log_->lastError();
            if (!log_->refusal().trusted()) {
                // Told before the first of the items fails for it.
                host_.ShowMessage(LogRefusalText(log_->refusal(), logPath()), u"",
                                  MessageIcon::Stop);
                logRefused_ = true;
            }
        }
        recordsWritten = result == LogWriteResult::Written;
        if (recordsWritten) {
            for (std::size_t i = 0; i < count; ++i) {
                GroupItem& entry = group[i];
                if (entry.groupIndex >= 0)
                    entry.offset = log_->offset(static_cast<std::size_t>(entry.groupIndex));
            }
            // The batch may just have made the log, or made it anew.
            if (log_->opens() != guardedOpens_) {
                logGuard_.Refresh(logPath(), settings_.writeLogFile);
                guardedOpens_ = log_->opens();
            }
        }
    }
    for (std::size_t i = 0; i < count && !stopped_; ++i) {
        GroupItem& entry = group[i];
        if (StopDue()) {
            // The records of the items left are taken back: Undo is never to look for them.
            if (recordsWritten) {
                for (std::size_t rest = i; rest < count; ++rest) {
                    if (group[rest].offset >= 0) {
                        log_->WithdrawRecords(static_cast<std::size_t>(group[rest].groupIndex));
                        break;
                    }
                }
            }
            return;
        }
        const bool recorded = !entry.isTheLog && (!logged || entry.offset >= 0);
        ApplyItem(plan, entry, recorded, planner);
    }
}

int RenameSession::RenameItem(const GroupItem& entry) {
    const PlanItem& item = entry.item;
    const bool logged = settings_.writeLogFile;
    LoggedRenameSteps steps(*log_, entry.offset);
    const int error = RenameNoReplace(*entry.from, item.oldName, *entry.to, item.newName,
                                      logged ? &steps : nullptr);
    if (logged)
        log_->NoteOutcome(entry.offset, error == 0);
    return error;
}

std::u16string RenameSession::UnrecordedReason(const Plan& plan, const GroupItem& entry) const {
    if (entry.isTheLog)
        return u"it is the log, which a batch never renames";
    if (!Recordable(plan, entry.item))
        return u"a line break in its name or folder cannot be written to the log";
    if (logRefused_)
        return u"the log was refused";
    const int error = groupLogError_ != 0 ? groupLogError_ : logFailure_;
    if (error == EWOULDBLOCK)
        return u"its record could not be written: another Brindle is using the log";
    std::u16string reason = u"its record could not be written to the log";
    if (error != 0)
        reason += u": " + SystemErrorText(error);
    return reason;
}

void RenameSession::ReportUnreadableFolder(const Plan& plan, const PlanItem& item) {
    // Not an item: it counts as an exception, never among the files.
    stats_.exceptions = WrappingIncrement(stats_.exceptions);
    ++tally_.failed;
    RowData row = RowOf(plan, item);
    const std::u16string reason = std::u16string(kTextCannotReadFolder) + u": " +
                                  SystemErrorText(plan.folders[item.folder].listError);
    row.reason = reason;
    row.reasonPath = row.input;
    host_.AddOutputRow(row);
    stats_.nextRow = WrappingIncrement(stats_.nextRow);
    host_.SetStatus(stats_);
}

void RenameSession::ApplyItem(const Plan& plan, const GroupItem& entry, bool recorded,
                              BatchPlanner& planner) {
    const PlanItem& item = entry.item;
    if (item.unreadableFolder()) {
        ReportUnreadableFolder(plan, item);
        return;
    }
    stats_.totalFiles = WrappingIncrement(stats_.totalFiles);
    // The counters as the item leaves them; the host shows the running number as it goes.
    counters_ = {item.startIndex, item.letter, item.symbolCount};
    host_.SetCounters(counters_);
    RaiseTo(stats_.maxInputLength, LengthOf(item.oldName));
    RaiseTo(stats_.maxOutputLength, LengthOf(item.newName));

    RowData row = RowOf(plan, item);
    // Why it failed, and the path that is about: where the item is.
    std::u16string reason;
    std::u16string itemPath;
    bool failed = false;
    const bool changed = item.changed();
    ++tally_.items;
    if (changed)
        stats_.changedFiles = WrappingIncrement(stats_.changedFiles);
    else
        ++tally_.unchanged;

    // The record went to the log before anything moves, so that no item is ever renamed
    // without the record that can bring it back.
    if (!recorded) {
        failed = true;
        reason = UnrecordedReason(plan, entry);
    } else {
        // The Preview's rules; what they cannot foresee, the rename itself tells.
        struct Facts {
            const GroupItem& entry;
            static PlanState Absent() { return PlanState::Pending; }
            bool LosesContents() const { return entry.losesContents; }
            bool ReadOnly() const { return entry.statusKnown && entry.status.readOnly; }
        };
        const PlanState verdict = JudgeItem(item, settings_, Facts{entry});
        switch (verdict) {
            case PlanState::Rename:
                if (const int error = RenameItem(entry); error == 0) {
                    planner.NoteRenamed(item, *entry.to);
                    ++tally_.done;
                } else {
                    failed = true;
                    // The kernel refused to replace: the Preview's words for it.
                    if (error == EEXIST)
                        reason = std::u16string(ConflictReason(PlanState::TargetExists)) + u" (" +
                                 item.newName + u")";
                    else
                        reason = SystemErrorText(error);
                }
                break;
            case PlanState::LosesContents:
                failed = true;
                reason = kTextFolderRenameLosesContents;
                break;
            case PlanState::ReadOnly:
                stats_.exceptions = WrappingIncrement(stats_.exceptions);
                row.suffix = RowSuffix::ReadOnly;
                ++tally_.readOnly;
                break;
            case PlanState::NotAName:
            case PlanState::RegexTooLong:
                failed = true;
                reason = ConflictReason(verdict);
                break;
            default:  // Unchanged, or "Only Log": nothing moves
                break;
        }
        // A record whose item did not move says so (a renamed one said so already).
        if (verdict != PlanState::Rename && changed && settings_.writeLogFile)
            log_->NoteOutcome(entry.offset, false);
    }
    if (failed) {
        stats_.exceptions = WrappingIncrement(stats_.exceptions);
        ++tally_.failed;
        row.output = kTextRenameFailed;
        row.reason = reason;
        // A log that could not be written is told once for the whole batch: the rows keep
        // the reason, with no path for a line of its own.
        if (recorded || entry.isTheLog || !Recordable(plan, item)) {
            itemPath = plan.folderOf(item) + item.oldName;
            row.reasonPath = itemPath;
        }
    }

    host_.AddOutputRow(row);
    stats_.nextRow = WrappingIncrement(stats_.nextRow);
    host_.SetStatus(stats_);
}

}  // namespace brindle
