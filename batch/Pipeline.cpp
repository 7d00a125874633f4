#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "batch/Messages.h"
#include "batch/RenameLog.h"
#include "batch/RenameSession.h"
#include "platform/FileSystem.h"
#include "platform/FolderRename.h"
#include "platform/OpenFolder.h"

namespace brindle {

namespace {

std::int32_t LengthOf(const std::u16string& text) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::min(text.size(), kMax));
}

void RaiseTo(std::int32_t& maximum, std::int32_t value) {
    maximum = std::max(maximum, value);
}

}  // namespace

bool RenameSession::WriteRecord(const Plan& plan, const PlanItem& item, const EntryStatus* status,
                                const OpenFolder* from, const OpenFolder* to) {
    const std::u16string& directory = plan.folderOf(item);
    const std::u16string& newDirectory = plan.newFolderOf(item);
    // A line break would split its line: the record could not be read back, and a name
    // could forge records of its own.
    if (HoldsLineBreak(item.oldName) || HoldsLineBreak(item.newName) || HoldsLineBreak(directory) ||
        HoldsLineBreak(newDirectory)) {
        return false;
    }
    const RenameRecord record{
        .currentDirectory = directory,
        .newDirectory = newDirectory,
        .oldName = item.oldName,
        .newName = item.newName,
        .countSymbols = options_.countSymbols,
        .symbolCount = item.symbolCount,
        .itemInode = status ? status->identity.inode : 0,
        .itemLinks = status ? status->links : 0,
        .oldFolderInode = from && from->isOpen() ? from->identity().inode : 0,
        .newFolderInode = to && to->isOpen() ? to->identity().inode : 0,
    };
    const LogWriteResult result = log_->AppendRenameRecord(logPath(), record);
    if (result == LogWriteResult::DiskFull)
        stopError_ = log_->lastError();
    else if (result == LogWriteResult::Failed && logFailure_ == 0)
        logFailure_ = log_->lastError();
    if (result != LogWriteResult::Written)
        return false;
    // The batch may just have made the log, or made it anew.
    if (!logGuard_.active() || log_->opens() != guardedOpens_) {
        logGuard_.Refresh(logPath());
        guardedOpens_ = log_->opens();
    }
    return true;
}

bool RenameSession::RenameItem(const PlanItem& item, const OpenFolder& from, const OpenFolder& to) {
    const bool logged = options_.writeLogFile;
    const bool renamed =
        IsUsableName(item.newName) && RenameNoReplace(from, item.oldName, to, item.newName,
                                                      logged ? logSteps_.get() : nullptr) == 0;
    if (logged)
        log_->NoteOutcome(renamed);
    return renamed;
}

void RenameSession::ApplyItem(const Plan& plan, const PlanItem& item, BatchPlanner& planner) {
    stats_.totalFiles = WrappingIncrement(stats_.totalFiles);
    // The counters as the item leaves them; the host shows the running number as it goes.
    options_.startIndex = item.startIndex;
    letterCounter_ = item.letter;
    symbolCount_ = item.symbolCount;
    RaiseTo(stats_.maxInputLength, LengthOf(item.oldName));
    RaiseTo(stats_.maxOutputLength, LengthOf(item.newName));

    RowData row = RowOf(plan, item);
    const bool changed = item.changed();
    if (changed)
        stats_.changedFiles = WrappingIncrement(stats_.changedFiles);

    // The item is looked at where the plan says it is, when its turn comes, and renamed
    // between the folders the planner opened.
    const OpenFolder* from = planner.from().get();
    const OpenFolder* to = planner.to().get();
    EntryStatus status;
    bool itemKnown = false;
    const bool renaming = changed && !options_.onlyLog;
    if (renaming && (options_.writeLogFile || options_.skipReadOnly || logGuard_.active()))
        itemKnown = from->Stat(item.oldName, status) == 0;
    // The log is the only way back for the renames it holds: a batch must not rename it,
    // or a folder above it, away from where Undo looks for it, whatever path leads there.
    const bool isTheLog = itemKnown && logGuard_.Guards(status.identity);

    // The record goes to the log before anything moves, so that no item is ever renamed
    // without the record that can bring it back.
    stopError_ = 0;
    const bool recorded =
        !isTheLog &&
        (!options_.writeLogFile || WriteRecord(plan, item, itemKnown ? &status : nullptr,
                                               renaming ? from : nullptr, renaming ? to : nullptr));
    if (!recorded) {
        stats_.exceptions = WrappingIncrement(stats_.exceptions);
        row.output = kTextRenameFailed;
    } else if (renaming) {
        if (options_.skipReadOnly && itemKnown && status.readOnly) {
            stats_.exceptions = WrappingIncrement(stats_.exceptions);
            row.suffix = RowSuffix::ReadOnly;
            if (options_.writeLogFile)
                log_->NoteOutcome(false);
        } else if (RenameItem(item, *from, *to)) {
            planner.NoteRenamed(item);
        } else {
            stats_.exceptions = WrappingIncrement(stats_.exceptions);
            row.output = kTextRenameFailed;
        }
    } else if (changed && options_.writeLogFile) {
        log_->NoteOutcome(false);  // "Only Log": never renamed
    }

    host_.AddOutputRow(row);
    stats_.nextRow = WrappingIncrement(stats_.nextRow);
    host_.SetStatus(stats_);

    if (stopError_ != 0)
        StopForDiskFull(stopError_);
}

}  // namespace brindle
