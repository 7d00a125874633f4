#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "batch/FolderCache.h"
#include "batch/LogGuard.h"
#include "batch/PipelineHost.h"
#include "engine/BatchStats.h"
#include "engine/RenameOptions.h"

namespace brindle {

class RenameLog;
class RenameSteps;
struct EntryStatus;

// How a batch ended.
enum class BatchOutcome {
    Completed,
    DiskFull,  // the log could not be written for lack of space; the batch stopped
};

// How an Undo ended.
enum class UndoOutcome {
    LogNotOpened,  // "Error opening file"; nothing was moved
    Completed,     // every record handled; the log kept or deleted as answered
    DeleteFailed,  // the answer was Yes but the log could not be deleted
    DiskFull,      // the log could not be deleted for lack of space
};

// The state that lives as long as the main dialog (or one brindle-cli run): the
// options, the statistics, the pattern counters, the per-item members and the log
// writer; and the operations of a batch and of Undo. It reaches its caller only
// through the PipelineHost.
class RenameSession {
public:
    explicit RenameSession(PipelineHost& host);
    ~RenameSession();
    RenameSession(const RenameSession&) = delete;
    RenameSession& operator=(const RenameSession&) = delete;

    RenameOptions& options() { return options_; }
    const RenameOptions& options() const { return options_; }
    BatchStats& stats() { return stats_; }
    const BatchStats& stats() const { return stats_; }
    char16_t letterCounter() const { return letterCounter_; }
    void setLetterCounter(char16_t letter) { letterCounter_ = letter; }

    // The folder the log is written to when options().logFileName is a bare name
    // (the program's folder, ending with '/'). Empty: the current directory.
    void setProgramFolder(std::u16string folder) { programFolder_ = std::move(folder); }
    const std::u16string& programFolder() const { return programFolder_; }
    // Where the log lies: logFileName itself when it is an absolute path, otherwise
    // programFolder + logFileName.
    std::u16string logPath() const;

    // Batches. RunFolderBatch takes the folder the browser returned (a '/' is appended
    // unless it ends with one); RunDropBatch the dropped paths in order (empty ones are
    // skipped; when none is left nothing happens at all).
    BatchOutcome RunFolderBatch(const std::u16string& chosenFolder);
    BatchOutcome RunDropBatch(const std::vector<std::u16string>& droppedPaths);

    // The steps around every batch, and the pieces a batch is made of.
    void BeginBatch();
    void EndBatch();
    void ScanFolder(const std::u16string& folder);
    // With "Write Log File" on, the log stays open and locked from the item's record
    // until EndBatch (or Undo, or the session's end).
    std::u16string ProcessFile(const std::u16string& name);
    // True once the disk-full stop has happened in the current batch.
    bool stopped() const { return stopped_; }

    // Enables "Undo" (through the host) exactly when the log exists; returns that.
    bool UpdateUndoButton();
    UndoOutcome OnUndo();

    // Per-item members, set by the batch before each ProcessFile.
    std::u16string currentDirectory;
    std::u16string inputText;
    // The folders the item is renamed between, opened once by the scan; when the batch
    // leaves them unset, ProcessFile opens currentDirectory and the file mover's target
    // by path (links followed).
    std::shared_ptr<const OpenFolder> currentFolder;
    std::shared_ptr<const OpenFolder> parentFolder;
    std::u16string parentDirectory;
    // Kept by the pipeline.
    std::u16string newDirectory;
    std::u16string workingName;
    std::u16string savedExtension;
    std::int32_t symbolCount = 0;

    // The new directory of the last record written to the log; empty before the first.
    const std::u16string& lastLoggedDirectory() const;

private:
    // The "Only English" table could not be opened.
    void OnlyEnglishTableFailed();
    // Writes the item's record; false when it could not be, and the item must not be
    // renamed. Sets stopError_ when the disk is full.
    bool WriteRecord(const std::u16string& name, const EntryStatus* item, const OpenFolder* from,
                     const OpenFolder* to);
    // The item's rename on disk, after its record; true when it happened.
    bool RenameItem(const std::u16string& name, const OpenFolder& from, const OpenFolder& to);
    // Walks a tree depth first from `base` (ending with '/').
    void ScanTree(const std::u16string& base);
    // The per-item folders back to "open by path".
    void ForgetItemFolders();
    // Closes the log if open; a failure is reported to the user. The errno, or 0.
    int CloseLog();
    // The disk-full stop: the log is closed and the user told.
    void StopForDiskFull(int error);
    // Tells the user, once, why records could not be written during the batch.
    void ReportLogFailure();
    // logPath() made absolute for messages.
    std::u16string LogFullPath() const;

    PipelineHost& host_;
    RenameOptions options_;
    BatchStats stats_;
    char16_t letterCounter_ = u'a';
    std::u16string programFolder_;
    std::unique_ptr<RenameLog> log_;
    std::unique_ptr<RenameSteps> logSteps_;
    FolderCache folders_;
    LogGuard logGuard_;
    std::uint64_t guardedOpens_ = 0;  // the log's opens when the guard last looked
    bool stopped_ = false;
    int stopError_ = 0;
    // The errno of the batch's first record that could not be written; 0 when none.
    int logFailure_ = 0;
    // The status line and the row, reused from item to item.
    std::u16string status_;
    OutputRow row_;
};

}  // namespace brindle
