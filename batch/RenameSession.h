#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "batch/BatchPlanner.h"
#include "batch/LogGuard.h"
#include "batch/OperationTally.h"
#include "batch/PipelineHost.h"
#include "batch/RenameLog.h"
#include "engine/BatchStats.h"
#include "engine/NameChain.h"
#include "engine/PatternCreator.h"
#include "engine/RegexReplace.h"
#include "engine/RenameSettings.h"
#include "platform/MountTable.h"
#include "platform/OpenFolder.h"
#include "platform/WallClock.h"

namespace brindle {

class RenameLog;
struct RenameRecord;

// How a batch ended.
enum class BatchOutcome {
    Completed,
    DiskFull,  // the log could not be written for lack of space; the batch stopped
    Stopped,   // stopped on request (RequestStop) before its last item
    // The "Only English" table could not be read, and the host renames nothing without
    // it: nothing was renamed or logged.
    TableMissing,
    // The name pattern has a mistake (BatchResult::patternError): the batch did not begin,
    // nothing was renamed or logged. Hosts tell the mistake before they start a batch;
    // this holds for any host that does not.
    PatternMistake,
    // The regular expression or its replacement has a mistake (BatchResult::regexError):
    // the batch did not begin, as with a mistake in the name pattern.
    RegexMistake,
    // The order's expression or a filter has a mistake (BatchResult::optionMistake): the
    // batch did not begin.
    OptionMistake,
};

// Which batches an Undo takes back. Whatever it is, an Undo that finds no batch left to
// undo goes through the whole log, passing every record over, and then asks about the log.
struct UndoScope {
    enum class Kind {
        Newest,  // the newest batch that has a record renamed and not undone
        All,     // every batch not yet undone, newest first
        From,    // the batch of `key` and every newer one
    };
    Kind kind = Kind::Newest;
    std::u16string key;
    static UndoScope Newest() { return {}; }
    static UndoScope All() { return {Kind::All, {}}; }
    static UndoScope From(std::u16string key) { return {Kind::From, std::move(key)}; }
};

// What the last Undo did, beside its rows: how many records it put back and could not,
// and what it passed over (already undone, never renamed).
struct UndoSummary {
    std::size_t batches = 0;  // batches taken back that had something to undo
    std::size_t putBack = 0;
    std::size_t failed = 0;
    std::size_t alreadyUndone = 0;
    std::size_t neverRenamed = 0;
    bool nothingLeft = false;  // the log's batches had nothing left to undo
};
// "passed over: 12 already undone, 3 never renamed", after "nothing left to undo; " when
// nothing was; empty when there is nothing to say.
std::u16string UndoSummaryText(const UndoSummary& summary);

// How an Undo ended.
enum class UndoOutcome {
    LogNotOpened,  // "Error opening file"; nothing was moved
    LogRefused,    // the log could have been written by someone else (told why); nothing moved
    Completed,     // every record handled; the log kept or deleted as answered
    DeleteFailed,  // the answer was Yes but the log could not be deleted
    DiskFull,      // the log could not be deleted for lack of space
    Stopped,       // stopped on request before its last record; the log kept, marked so far
    Declined,      // the host answered No to what the Undo would take back; nothing moved
    NotFound,      // the batch the scope names is not in the log (told so); nothing moved
};

// What a batch tells its host when it ends, beside the rows and messages: whether the
// "Only English" table could not be opened (the option is off now), and whether "Undo"
// is to be enabled (the log exists) or, when the batch did not get that far, left as it
// is.
struct BatchResult {
    BatchOutcome outcome = BatchOutcome::Completed;
    bool tableFailed = false;
    // The log was refused as a place someone else could have written (the user was told
    // why); no item was renamed without its record all the same.
    bool logRefused = false;
    std::optional<bool> undoEnabled;
    std::optional<PatternError> patternError;
    std::optional<RegexError> regexError;
    std::optional<std::u16string> optionMistake;
    // Items named without the value of a token group of the pattern (PlanWarning::NoValue).
    std::uint32_t itemsWithoutValue = 0;
};

// The state that lives as long as the main dialog (or one brindle-cli run): the
// options, the statistics, the pattern counters and the log writer; and the operations
// of a batch and of Undo. It reaches its caller only through the PipelineHost. Its
// definitions lie in RenameSession.cpp (the state and the log), RenameSessionBatch.cpp
// (running a batch), RenameSessionApply.cpp (applying a group of items) and
// RenameSessionUndo.cpp (Undo).
//
// A batch takes settings() as they stand when it starts, as its one snapshot of the
// options, and plans its items one by one (BatchPlanner), applying each right after it
// is planned: the record, the rename, the row, the statistics. It leaves in settings()
// what it changed (the running number, "Only English" switched off when its table could
// not be opened, the file types as the file mover lowered them), which the host then
// shows; the counters are run state of their own (counters()), reported to the host item
// by item.
class RenameSession {
public:
    explicit RenameSession(PipelineHost& host);
    ~RenameSession();
    RenameSession(const RenameSession&) = delete;
    RenameSession& operator=(const RenameSession&) = delete;

    RenameSettings& settings() { return settings_; }
    const RenameSettings& settings() const { return settings_; }
    BatchStats& stats() { return stats_; }
    const BatchStats& stats() const { return stats_; }
    // The run state of the name pattern and column "#": the running number as the last
    // batch left it, the letter, the last symbol count. A batch starts its running number
    // at settings().startIndex (the "Starting index" box) and carries the letter on; the
    // host is told the counters as the batch begins and after each item
    // (PipelineHost::SetCounters), and the batch leaves settings().startIndex where its
    // running number ended.
    const NameCounters& counters() const { return counters_; }
    void setCounters(const NameCounters& counters) { counters_ = counters; }
    // Where the next batch's counters stand before "Reset Counters" is applied.
    NameCounters NextCounters() const {
        return {settings_.startIndex, counters_.letter, counters_.symbolCount};
    }

    // Where the log and the configuration (its "Only English" table) lie. Bare names
    // resolve against the current directory, which start-up makes the program's folder;
    // hosts give full paths.
    void setLogFile(std::u16string path) { logFile_ = std::move(path); }
    const std::u16string& logFile() const { return logFile_; }
    void setConfigFile(std::u16string path) { configFile_ = std::move(path); }
    const std::u16string& configFile() const { return configFile_; }
    // The folder the log is written to when logFile() is a bare name (the program's
    // folder, ending with '/'). Empty: the current directory.
    void setProgramFolder(std::u16string folder) { programFolder_ = std::move(folder); }
    const std::u16string& programFolder() const { return programFolder_; }
    // Where the log lies: logFile() itself when it is an absolute path, otherwise
    // programFolder + logFile().
    std::u16string logPath() const;
    // Whether the log exists: "Undo" is enabled exactly then.
    bool LogExists() const;
    // How long a batch or Undo waits for the log while another Brindle holds its lock,
    // before its records fail (Undo: before "Error opening file"); by default not at all.
    // `waiting` is called each time a wait begins; a stop request ends the wait.
    void setLogLockWait(std::chrono::milliseconds limit, std::function<void()> waiting);

    // Batches. RunFolderBatch takes the folder the browser returned (a '/' is appended
    // unless it ends with one); RunDropBatch the dropped paths in order (empty ones are
    // skipped; when none is left nothing happens at all). With "Write Log File" on, the
    // log stays open and locked from the first record until the batch ends.
    BatchResult RunFolderBatch(const std::u16string& chosenFolder);
    BatchResult RunDropBatch(const std::vector<std::u16string>& droppedPaths);
    BatchResult RunBatch(const BatchSource& source);
    // True once the disk-full stop has happened in the current batch.
    bool stopped() const { return stopped_; }

    // Asks the batch or Undo that runs to stop at its next item (record): nothing more is
    // renamed (moved back), the outcomes of what was done are written and the log closed,
    // so that Undo restores exactly what was renamed, and it returns BatchOutcome::Stopped
    // (UndoOutcome::Stopped). Safe from any thread and from a signal handler: it only sets
    // a lock-free flag. A request holds until a batch or Undo has stopped for it, so one
    // made while neither runs stops the next before its first item; a host that no longer
    // wants it takes it back with WithdrawStopRequest().
    void RequestStop() noexcept { stopRequest_.store(true, std::memory_order_relaxed); }
    void WithdrawStopRequest() noexcept { stopRequest_.store(false, std::memory_order_relaxed); }
    bool stopRequested() const noexcept { return stopRequest_.load(std::memory_order_relaxed); }

    // Undo of the batches `scope` names, newest record first. Before it moves anything
    // the host is asked (ConfirmUndo) whether to take back what it names. Records never
    // renamed or undone already are passed over without rows (lastUndo() counts them).
    // "Delete Log file?" is asked only when no older batch is left to undo; otherwise the
    // log is kept and "Undo" stays enabled.
    UndoOutcome OnUndo(const UndoScope& scope = UndoScope::Newest());
    const UndoSummary& lastUndo() const { return lastUndo_; }
    // What the last batch or Undo did, for the line that sums it up.
    const OperationTally& tally() const { return tally_; }
    // Whether "Undo" is to be enabled after the last batch or Undo; empty when it stays
    // as it was.
    std::optional<bool> undoEnabled() const { return undoEnabled_; }

private:
    // The steps around every batch.
    void BeginBatch();
    void EndBatch();
    // Empties both groups, and gives a large one's memory back.
    void ReleaseGroups();
    // Undo's work, from opening the log to keeping or deleting it.
    UndoOutcome UndoRecords(const UndoScope& scope);
    // A planned item in the group whose records go to the log together.
    struct GroupItem {
        PlanItem item;
        std::shared_ptr<const OpenFolder> from;
        std::shared_ptr<const OpenFolder> to;
        EntryStatus status;
        bool statusKnown = false;
        ItemStamp stamp;       // for the log: empty where the filesystem gives none
        bool stamped = false;  // status and stamp were taken ahead (StampGroup)
        bool renaming = false;
        bool isTheLog = false;
        // A folder on a filesystem whose folder renames lose contents: never renamed.
        bool losesContents = false;
        std::int64_t groupIndex = -1;
        std::int64_t offset = -1;  // of its record in the log, -1 when none was written
    };
    using Group = std::vector<GroupItem>;
    // Plans the next items into `group`, up to `limit` of them and never past a dropped
    // folder; how many. `more` becomes false when the batch has no more.
    std::size_t PlanGroup(BatchPlanner& planner, const Plan& plan, Group& group, bool& more,
                          BatchResult& result, std::size_t limit);
    // Looks at each item of a logged batch that is to be renamed, for its record: lstat
    // and its stamp. Runs on the background thread while the group before is renamed.
    static void StampGroup(GroupItem* items, std::size_t count, bool onlyLog);
    // The same over the items not claimed yet, each claimed from `next`, so that two
    // threads can share a group: the batch's own thread helps once its group is renamed,
    // rather than wait for a group that is larger than the one it renamed.
    static void StampClaimed(GroupItem* items, std::size_t count, std::atomic<std::size_t>& next,
                             bool onlyLog);
    // The disk step of a group of planned items: each looked at, their records written in
    // one go, then each renamed, with its row and the statistics.
    void ApplyGroup(const Plan& plan, Group& group, std::size_t count, BatchPlanner& planner);
    void ApplyItem(const Plan& plan, const GroupItem& entry, bool recorded, BatchPlanner& planner);
    // The error row of a folder the planner could not list.
    void ReportUnreadableFolder(const Plan& plan, const PlanItem& item);
    static bool Recordable(const Plan& plan, const PlanItem& item);
    RenameRecord RecordOf(const Plan& plan, const GroupItem& entry) const;
    // The item's rename on disk, after its record; 0 when it happened, else the errno.
    int RenameItem(const GroupItem& entry);
    // Why an item whose record is not in the log was not renamed.
    std::u16string UnrecordedReason(const Plan& plan, const GroupItem& entry) const;
    // Closes the log if open; a failure is reported to the user. The errno, or 0.
    int CloseLog();
    // The disk-full stop: the log is closed and the user told.
    void StopForDiskFull(int error);
    // True once a stop was requested during the current batch or Undo; from then on the
    // request is being answered.
    bool StopDue();
    // After a batch or Undo: a request it stopped for is answered.
    void EndStop();
    // Tells the user, once, why records could not be written during the batch.
    void ReportLogFailure();
    // logPath() made absolute for messages.
    std::u16string LogFullPath() const;

    PipelineHost& host_;
    RenameSettings settings_;
    BatchStats stats_;
    NameCounters counters_;
    std::u16string programFolder_;
    std::u16string logFile_ = u"Brindle.log";
    std::u16string configFile_ = u"Brindle.ini";
    std::unique_ptr<RenameLog> log_;
    LockWait logLockWait_;
    // The group being applied, and the next one, planned and looked at meanwhile.
    Group group_;
    Group nextGroup_;
    // With the log, the first group holds kFirstGroupSize items and each one after it
    // twice as many as the one before, up to kLastGroupSize: the first renames come soon,
    // and a long batch on a disk waits for a handful of fdatasync calls, not one per
    // kFirstGroupSize items. Larger groups save a few of those calls but cost more than
    // they save: their items have left the caches by the time each is renamed (a logged
    // batch on a disk took some 4% longer with groups of 16,384). A log in memory waits
    // for no disk: its groups stop growing at kLastGroupSizeInMemory, where the two
    // groups' items still fit the processor's caches. A kill leaves at most one group's
    // records without their outcomes, which Undo then looks for on the disk. Without the
    // log, every group holds kFirstGroupSize items.
    static constexpr std::size_t kFirstGroupSize = 256;
    static constexpr std::size_t kLastGroupSize = 8192;
    static constexpr std::size_t kLastGroupSizeInMemory = 1024;
    LogGuard logGuard_;
    MountTable mounts_;               // read anew for each batch
    std::uint64_t guardedOpens_ = 0;  // the log's opens when the guard last looked
    bool stopped_ = false;
    // Set by RequestStop, from anywhere; stoppedOnRequest_ when the current batch or Undo
    // has seen it.
    std::atomic<bool> stopRequest_{false};
    static_assert(std::atomic<bool>::is_always_lock_free, "set from signal handlers");
    bool stoppedOnRequest_ = false;
    // The errno of the batch's first record that could not be written; 0 when none.
    int logFailure_ = 0;
    // The errno of the last group whose records could not be written; 0 when none.
    int groupLogError_ = 0;
    // The batch's log was refused, and the user told so.
    bool logRefused_ = false;
    OperationTally tally_;
    std::optional<bool> undoEnabled_;
    UndoSummary lastUndo_;
    // When the last batch began: each batch's key is later than the one before.
    WallTime lastBatchStart_;
};

}  // namespace brindle
