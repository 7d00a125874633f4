#include "batch/UndoMarks.h"

#include <algorithm>

#include "batch/RenameLog.h"

namespace brindle {

UndoMarks::UndoMarks(ExclusiveFile& file, const UndoLog& log) : file_(file) {
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

void UndoMarks::BeforeMoveTo(std::uint64_t target) {
    if (std::find(pendingSources_.begin(), pendingSources_.end(), target) != pendingSources_.end())
        Flush();
}

void UndoMarks::Undone(std::uint64_t offset, std::uint64_t source) {
    WriteMarkLine(pending_, kLogKeyUndone, offset);
    pendingSources_.push_back(source);
    if (++pendingCount_ >= kMarksAtOnce)
        Flush();
}

void UndoMarks::Claimed(std::uint64_t offset, bool newName, bool claimed) {
    WriteClaimMark(pending_, offset, newName, claimed);
    Flush();
}

bool UndoMarks::Temporary(std::uint64_t offset, std::u16string_view name, bool inNewFolder) {
    WriteTemporaryMark(pending_, offset, inNewFolder, name);
    return Flush(true);
}

bool UndoMarks::Flush(bool durable) {
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

}  // namespace brindle
