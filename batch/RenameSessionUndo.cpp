// RenameSession: Undo's run. Every record of the log is read first, under the log's lock,
// then undone newest first; the log is kept or deleted as the user answers.
#include <algorithm>
#include <cstdint>
#include <string>

#include "batch/LogParser.h"
#include "batch/Messages.h"
#include "batch/RenameLog.h"
#include "batch/RenameSession.h"
#include "batch/UndoLookAhead.h"
#include "batch/UndoMarks.h"
#include "batch/UndoMover.h"
#include "engine/TextOps.h"
#include "platform/ExclusiveFile.h"
#include "platform/FileSystem.h"

namespace brindle {

UndoOutcome RenameSession::OnUndo() {
    undoEnabled_.reset();
    stoppedOnRequest_ = false;
    tally_ = OperationTally{};
    tally_.kind = OperationTally::Kind::Undo;
    const UndoOutcome outcome = UndoRecords();
    EndStop();
    tally_.stopped = outcome == UndoOutcome::Stopped;
    tally_.logUnusable = outcome == UndoOutcome::LogNotOpened || outcome == UndoOutcome::LogRefused;
    return outcome;
}

UndoOutcome RenameSession::UndoRecords() {
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
    if (openError != 0 || !records.Read(read)) {
        host_.ShowMessage(kTextErrorOpeningFile, u"", MessageIcon::Warning);
        undoEnabled_ = false;
        return UndoOutcome::LogNotOpened;
    }
    if (StopDue()) {
        undoEnabled_ = true;
        return UndoOutcome::Stopped;
    }
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
    for (std::size_t index = records.size(); index-- > 0;) {
        // What is undone is marked, so that a second Undo finishes the rest.
        if (StopDue())
            break;
        ahead.Reached(index);
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
        if (!mover.Undo(record, index)) {
            stats_.exceptions = WrappingIncrement(stats_.exceptions);
            errors = true;
            row.mark = RowMark::Error;
            row.suffix = RowSuffix::ErrorOpening;
            row.reason = mover.reason();
            row.reasonPath = mover.reasonPath();
            ++tally_.failed;
        } else {
            ++tally_.done;
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
