// RenameSession: Undo's run. Every record of the log is read first, under the log's lock,
// then the records of the batches it takes back are undone newest first; the log is kept
// while an older batch is left to undo, otherwise kept or deleted as the user answers.
#include <algorithm>
#include <cstdint>
#include <string>

#include "batch/LogParser.h"
#include "batch/Messages.h"
#include "batch/RenameLog.h"
#include "batch/RenameSession.h"
#include "batch/UndoHistory.h"
#include "batch/UndoLookAhead.h"
#include "batch/UndoMarks.h"
#include "batch/UndoMover.h"
#include "engine/IntegerText.h"
#include "engine/TextOps.h"
#include "platform/ExclusiveFile.h"
#include "platform/FileSystem.h"

namespace brindle {

std::u16string UndoSummaryText(const UndoSummary& summary) {
    std::u16string text;
    if (summary.nothingLeft)
        text = u"nothing left to undo";
    std::u16string passed;
    const auto add = [&passed](std::size_t count, std::u16string_view what) {
        if (count == 0)
            return;
        if (!passed.empty())
            passed += u", ";
        passed += DecimalText(count) + u" " + std::u16string(what);
    };
    add(summary.alreadyUndone, u"already undone");
    add(summary.neverRenamed, u"never renamed");
    if (!passed.empty())
        text += (text.empty() ? u"" : u"; ") + (u"passed over: " + passed);
    return text;
}

UndoOutcome RenameSession::OnUndo(const UndoScope& scope) {
    undoEnabled_.reset();
    stoppedOnRequest_ = false;
    lastUndo_ = UndoSummary{};
    tally_ = OperationTally{};
    tally_.kind = OperationTally::Kind::Undo;
    const UndoOutcome outcome = UndoRecords(scope);
    EndStop();
    tally_.stopped = outcome == UndoOutcome::Stopped;
    tally_.logUnusable = outcome == UndoOutcome::LogNotOpened || outcome == UndoOutcome::LogRefused;
    return outcome;
}

namespace {

// The question before an Undo of the batches from `first` on.
std::u16string UndoQuestion(const std::vector<LoggedBatch>& batches, std::size_t first) {
    std::size_t count = 0;
    std::size_t items = 0;
    const LoggedBatch* oldest = nullptr;
    for (std::size_t i = first; i < batches.size(); ++i) {
        if (batches[i].leftToUndo() == 0)
            continue;
        ++count;
        items += batches[i].leftToUndo();
        if (!oldest)
            oldest = &batches[i];
    }
    if (count == 1)
        return u"Undo the last batch: " + DescribeBatch(*oldest) + u"?";
    return u"Undo " + DecimalText(count) + u" batches, " + DecimalText(items) +
           u" items in all, back to the one of " + BatchWhenText(*oldest) + u" (" +
           DescribeBatch(*oldest) + u")?";
}

}  // namespace

UndoOutcome RenameSession::UndoRecords(const UndoScope& scope) {
    // Our own writer's lock would keep Undo out.
    CloseLog();

    // The lock is held from the first read until the log is deleted or kept, so that no
    // batch can log (and rename) in between and have its records deleted with the log.
    const std::u16string path = logPath();
    ExclusiveFile file;
    UndoLog records;
    std::int64_t readOffset = 0;
    const auto read = [&](char* buffer, std::size_t size) -> long {
        // A stop ends the reading early; nothing read is used then.
        if (StopDue())
            return 0;
        const long got = file.ReadAt(readOffset, buffer, size);
        readOffset += got > 0 ? got : 0;
        return got;
    };
    TrustCheck refusal;
    const int openError = OpenTrustedLog(file, path, true, refusal, logLockWait_);
    if (!refusal.trusted()) {
        host_.ShowMessage(LogRefusalText(refusal, path), u"", MessageIcon::Stop);
        return UndoOutcome::LogRefused;
    }
    const std::int64_t logSize = openError == 0 ? file.Size() : 0;
    if (openError != 0 ||
        !records.Read(read, logSize > 0 ? static_cast<std::uint64_t>(logSize) : 0)) {
        host_.ShowMessage(kTextErrorOpeningFile, u"", MessageIcon::Warning);
        undoEnabled_ = false;
        return UndoOutcome::LogNotOpened;
    }
    if (StopDue()) {
        undoEnabled_ = true;
        return UndoOutcome::Stopped;
    }

    // Which records this Undo takes back: those of the batches from `first` on.
    const std::vector<LoggedBatch> batches = ListBatches(records);
    const LoggedBatch* newest = NewestToUndo(batches);
    std::size_t first = 0;
    if (scope.kind == UndoScope::Kind::From) {
        const auto named = std::find_if(batches.begin(), batches.end(),
                                        [&](const LoggedBatch& b) { return b.key == scope.key; });
        if (named == batches.end()) {
            host_.ShowMessage(u"That batch is no longer in the log.", u"", MessageIcon::Warning);
            return UndoOutcome::NotFound;
        }
        first = static_cast<std::size_t>(named - batches.begin());
    } else if (scope.kind == UndoScope::Kind::Newest && newest) {
        first = static_cast<std::size_t>(newest - batches.data());
    }
    bool anythingInScope = false;
    for (std::size_t i = first; i < batches.size(); ++i)
        anythingInScope = anythingInScope || batches[i].leftToUndo() > 0;
    // A log without records has nothing to say it of.
    lastUndo_.nothingLeft = newest == nullptr && !batches.empty();
    if (anythingInScope && !host_.ConfirmUndo(UndoQuestion(batches, first)))
        return UndoOutcome::Declined;
    for (std::size_t i = first; i < batches.size(); ++i)
        lastUndo_.batches += batches[i].leftToUndo() > 0 ? 1 : 0;
    const std::size_t firstRecord = first < batches.size() ? batches[first].firstRecord : 0;
    // Older batches with something left keep the log, and "Undo" for them.
    bool olderLeft = false;
    for (std::size_t i = 0; i < first; ++i)
        olderLeft = olderLeft || batches[i].leftToUndo() > 0;

    if (settings_.deleteContents) {
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
    UndoLookAhead ahead(records);
    UndoMover mover(marks, &ahead);
    bool errors = false;
    // One record's room for all of them.
    UndoRecord record;
    for (std::size_t index = records.size(); index-- > firstRecord;) {
        // What is undone is marked, so that a second Undo finishes the rest.
        if (StopDue())
            break;
        ahead.Reached(index);
        const RecordState state = records.StateOf(index);
        if (state == RecordState::Unchanged)
            continue;
        if (state == RecordState::Undone) {
            ++lastUndo_.alreadyUndone;
            continue;
        }
        records.At(index, record);
        const LogRecord& names = record.names;
        // A failed rename may still have left its item at a temporary name.
        if (state == RecordState::NeverRenamed &&
            (record.temporarySteps.empty() || !mover.Undo(record, index))) {
            ++lastUndo_.neverRenamed;
            continue;
        }
        stats_.maxInputLength = std::max(stats_.maxInputLength, LengthOf(names.oldName));
        stats_.maxOutputLength = std::max(stats_.maxOutputLength, LengthOf(names.newName));

        RowData row;
        row.input = names.newName;
        row.output = names.oldName;
        row.countShown = false;
        row.folder = names.oldDirectory;
        const bool putBack = state == RecordState::NeverRenamed || mover.Undo(record, index);
        if (putBack) {
            ++lastUndo_.putBack;
            ++tally_.done;
        } else {
            ++lastUndo_.failed;
            stats_.exceptions = WrappingIncrement(stats_.exceptions);
            errors = true;
            row.mark = RowMark::Error;
            row.suffix = RowSuffix::ErrorOpening;
            row.reason = mover.reason();
            row.reasonPath = mover.reasonPath();
            ++tally_.failed;
        }
        ++tally_.items;
        host_.AddOutputRow(row);
        stats_.nextRow = WrappingIncrement(stats_.nextRow);
        stats_.totalFiles = WrappingIncrement(stats_.totalFiles);
    }

    // Every mark is in the log before the question: the log may be kept.
    marks.Flush();
    if (StopDue()) {
        // Nothing asked: the log stays for the rest.
        file.Close();
        undoEnabled_ = true;
        host_.SetStatus(stats_);
        return UndoOutcome::Stopped;
    }
    if (olderLeft) {
        // "Delete Log file?" only once nothing is left to undo.
        file.Close();
        undoEnabled_ = true;
        host_.SetStatus(stats_);
        return UndoOutcome::Completed;
    }
    const bool remove =
        errors ? host_.AskYesNo(kTextDeleteLogWarning, kCaptionErrors, MessageIcon::Warning)
               : host_.AskYesNo(kTextDeleteLogQuestion, kApplicationName, MessageIcon::Question);
    if (remove) {
        const int error = file.Remove();
        file.Close();
        if (error != 0) {
            const bool diskFull = IsDiskFullError(error);
            host_.ShowMessage(FileErrorText(error, diskFull ? LogFullPath() : logFile_), u"",
                              MessageIcon::Stop);
            return diskFull ? UndoOutcome::DiskFull : UndoOutcome::DeleteFailed;
        }
        undoEnabled_ = false;
    }
    file.Close();
    host_.SetStatus(stats_);
    return UndoOutcome::Completed;
}

}  // namespace brindle
