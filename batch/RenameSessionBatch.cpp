// RenameSession: running a batch, from its first step to its last, a group of items at a
// time.
#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "batch/BackgroundWork.h"
#include "batch/BatchPlanner.h"
#include "batch/Messages.h"
#include "batch/RenameLog.h"
#include "batch/RenameSession.h"
#include "batch/UndoHistory.h"
#include "engine/SelectionCheck.h"
#include "platform/FileSystem.h"

namespace brindle {

void RenameSession::BeginBatch() {
    // Told first, so that whatever the host paints from here on shows where this batch
    // starts.
    counters_.startIndex = settings_.startIndex;
    if (settings_.resetCounters) {
        counters_.startIndex = 0;
        counters_.letter = u'a';
    }
    host_.SetCounters(counters_);
    stopped_ = false;
    stoppedOnRequest_ = false;
    mounts_ = MountTable();
    logGuard_.Refresh(logPath(), settings_.writeLogFile);
    if (settings_.writeLogFile) {
        // The key tells the batch from every other, even two begun within a clock's tick.
        WallTime start = WallClockNow();
        if (start <= lastBatchStart_) {
            start = lastBatchStart_;
            if (++start.nanoseconds == 1000000000u) {
                start.nanoseconds = 0;
                ++start.seconds;
            }
        }
        lastBatchStart_ = start;
        log_->StartBatch(BatchKeyOf(start));
    }
    guardedOpens_ = log_->opens();
    logFailure_ = 0;
    groupLogError_ = 0;
    logRefused_ = false;
    tally_ = OperationTally{};
    tally_.kind = OperationTally::Kind::Batch;
    tally_.onlyLog = settings_.onlyLog;
    if (settings_.deleteContents) {
        host_.RemoveAllRows();
        stats_ = BatchStats{};
    }
    if (settings_.showLogWindow)
        host_.SetOutputTitle(kTitleWorking);
}

void RenameSession::EndBatch() {
    // The running number goes on from batch to batch: the setting ("Starting index") is
    // left where this batch ended, as the dialog's box shows it.
    settings_.startIndex = counters_.startIndex;
    const int closeError = CloseLog();
    if (closeError != 0 && IsDiskFullError(closeError)) {
        // The last records may not have reached the disk: the batch ends here, as a
        // stop during an item does.
        stopped_ = true;
        return;
    }
    ReportLogFailure();
    undoEnabled_ = LogExists();
    if (settings_.showLogWindow)
        host_.SetOutputTitle(kTitleOutputLog);
}

std::size_t RenameSession::PlanGroup(BatchPlanner& planner, const Plan& plan, Group& group,
                                     bool& more, BatchResult& result, std::size_t limit) {
    std::size_t count = 0;
    // Room for the whole group at once: a growing group would copy its items over and
    // over.
    group.reserve(limit);
    // A stop plans nothing more; what is planned is never applied.
    while (more && count < limit && !StopDue()) {
        if (group.size() == count)
            group.emplace_back();
        GroupItem& entry = group[count];
        BatchPlanner::ItemFolders folders;
        if (!planner.Next(entry.item, &folders)) {
            more = false;
            break;
        }
        entry.from = std::move(folders.from);
        entry.to = std::move(folders.to);
        entry.stamped = false;
        ++count;
        if (entry.item.warned(PlanWarning::NoValue))
            ++result.itemsWithoutValue;
        if (plan.tableFailed && !result.tableFailed) {
            // Before the first item is renamed; the filter stays off for the batch.
            result.tableFailed = true;
            settings_.onlyEnglish = false;
            host_.ShowMessage(TableFailureText(configFile_), u"", MessageIcon::Warning);
            if (!host_.GoesOnWithoutTable()) {
                more = false;
                return 0;
            }
        }
        // A dropped folder is renamed before anything after it is planned: what it
        // holds must be looked for where it is then.
        if (entry.item.droppedFolder())
            break;
    }
    return count;
}

BatchResult RenameSession::RunBatch(const BatchSource& source) {
    BatchResult result;
    undoEnabled_.reset();
    // An empty answer is no folder (with a '/' appended it would be the root), and a drop
    // of nothing usable is no batch: nothing happens at all.
    if (source.empty())
        return result;
    if (auto mistake = ParseNamePattern(settings_.namePattern).error) {
        result.outcome = BatchOutcome::PatternMistake;
        result.patternError = std::move(mistake);
        return result;
    }
    if (auto mistake = CheckRegularExpression(settings_)) {
        result.outcome = BatchOutcome::RegexMistake;
        result.regexError = std::move(mistake);
        return result;
    }
    if (auto mistake = SelectionMistake(settings_)) {
        result.outcome = BatchOutcome::OptionMistake;
        result.optionMistake = std::move(mistake);
        return result;
    }
    BeginBatch();
    // Items are planned a group at a time, then applied: the group's records go to the
    // log in one write before any of them is renamed. The plan keeps only the folders.
    // With the log, each group's items are looked at for their records on a thread of
    // their own while the group before is renamed, so the next group is planned first.
    Plan plan;
    BatchPlanner planner(source, settings_, configFile_, counters_, plan,
                         BatchPlanner::Mode::Apply);
    const bool logged = settings_.writeLogFile;
    std::optional<BackgroundWork> background;
    if (logged)
        background.emplace();
    // A group's items are looked at on the background thread, claimed one by one; the
    // batch's thread claims the rest when it comes to wait for them.
    struct Stamping {
        BackgroundWork::Ticket ticket = 0;
        GroupItem* items = nullptr;
        std::size_t count = 0;
        std::shared_ptr<std::atomic<std::size_t>> next;
    };
    const bool onlyLog = settings_.onlyLog;
    const auto stampAhead = [&](Group& group, std::size_t count) -> Stamping {
        if (!background || count == 0)
            return {};
        // The items themselves, not the vector: the two groups swap their storage while
        // a job may still run, and the storage never moves while it does.
        Stamping stamping{0, group.data(), count, std::make_shared<std::atomic<std::size_t>>(0)};
        stamping.ticket =
            background->Post([items = stamping.items, count, next = stamping.next, onlyLog] {
                StampClaimed(items, count, *next, onlyLog);
            });
        return stamping;
    };
    const auto finishStamping = [&](const Stamping& stamping) {
        if (!background || stamping.ticket == 0)
            return;
        StampClaimed(stamping.items, stamping.count, *stamping.next, onlyLog);
        background->Wait(stamping.ticket);
    };
    // Each group's size: the first kFirstGroupSize, then doubling with the log.
    std::size_t groupSize = kFirstGroupSize;
    const auto nextLimit = [&] {
        const std::size_t limit = groupSize;
        if (logged) {
            groupSize =
                std::min(groupSize * 2, log_->InMemory() ? kLastGroupSizeInMemory : kLastGroupSize);
        }
        return limit;
    };
    bool more = true;
    std::size_t count = PlanGroup(planner, plan, group_, more, result, nextLimit());
    Stamping stamping = stampAhead(group_, count);
    while (!stopped_ && !stoppedOnRequest_ && count > 0) {
        std::size_t nextCount = 0;
        Stamping nextStamping;
        const bool afterFolder = group_[count - 1].item.droppedFolder();
        if (logged && more && !afterFolder) {
            nextCount = PlanGroup(planner, plan, nextGroup_, more, result, nextLimit());
            nextStamping = stampAhead(nextGroup_, nextCount);
        }
        finishStamping(stamping);
        ApplyGroup(plan, group_, count, planner);
        // The folders go as soon as no item needs them.
        for (std::size_t i = 0; i < count; ++i) {
            group_[i].from.reset();
            group_[i].to.reset();
        }
        if (nextStamping.ticket == 0 && more && !stopped_ && !stoppedOnRequest_) {
            nextCount = PlanGroup(planner, plan, nextGroup_, more, result, nextLimit());
            nextStamping = stampAhead(nextGroup_, nextCount);
        }
        group_.swap(nextGroup_);
        count = nextCount;
        stamping = nextStamping;
    }
    // A stop leaves the group planned ahead unapplied; its look is waited for.
    if (background && stamping.ticket != 0)
        background->Wait(stamping.ticket);
    ReleaseGroups();
    if (planner.metAnItem())
        settings_.fileTypes = planner.settings().fileTypes;
    if (!stopped_)
        EndBatch();
    EndStop();
    result.outcome = stopped_            ? BatchOutcome::DiskFull
                     : stoppedOnRequest_ ? BatchOutcome::Stopped
                                         : BatchOutcome::Completed;
    if (result.tableFailed && !host_.GoesOnWithoutTable())
        result.outcome = BatchOutcome::TableMissing;
    // Without its table the replace pair applies, and then its regular expression's
    // mistake keeps the batch from naming anything.
    if (plan.regexError && result.outcome == BatchOutcome::Completed) {
        result.outcome = BatchOutcome::RegexMistake;
        result.regexError = plan.regexError;
    }
    // What the settings need and this program cannot give (the readers of what files
    // hold): nothing was named.
    if (plan.optionMistake && result.outcome == BatchOutcome::Completed) {
        result.outcome = BatchOutcome::OptionMistake;
        result.optionMistake = plan.optionMistake;
    }
    result.undoEnabled = undoEnabled_;
    result.logRefused = logRefused_;
    tally_.stopped = result.outcome == BatchOutcome::DiskFull ||
                     result.outcome == BatchOutcome::Stopped ||
                     result.outcome == BatchOutcome::TableMissing;
    return result;
}

void RenameSession::ReleaseGroups() {
    // The items' folders are closed between batches, and a long batch's large groups are
    // not kept for the next one.
    const bool large =
        group_.capacity() > kFirstGroupSize || nextGroup_.capacity() > kFirstGroupSize;
    group_.clear();
    nextGroup_.clear();
    if (large) {
        Group().swap(group_);
        Group().swap(nextGroup_);
    }
}

BatchResult RenameSession::RunFolderBatch(const std::u16string& chosenFolder) {
    return RunBatch(BatchSource::Folder(chosenFolder));
}

BatchResult RenameSession::RunDropBatch(const std::vector<std::u16string>& droppedPaths) {
    return RunBatch(BatchSource::Drop(droppedPaths));
}

}  // namespace brindle
