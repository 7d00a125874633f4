#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "batch/LogParser.h"
#include "platform/ExclusiveFile.h"
#include "platform/FolderRename.h"

namespace brindle {

// The marks Undo leaves in the log while it holds its lock: an undone record is never
// replayed, and a temporary step is found again after a kill.
class UndoMarks {
public:
    // `file` is the log Undo read `log` from, open for appending and locked.
    UndoMarks(ExclusiveFile& file, const UndoLog& log);
    ~UndoMarks() { Flush(); }
    UndoMarks(const UndoMarks&) = delete;
    UndoMarks& operator=(const UndoMarks&) = delete;

    // The marks of undone records are written a few hundred at a time. A record whose
    // mark is still pending has left its new name free; should a later move fill that
    // name again, a rerun after a kill would take that file for the record's item: so the
    // marks are written before such a move (`target`, the name it fills).
    void BeforeMoveTo(std::uint64_t target);
    // The record at `offset` is undone; `source`, the name its item left.
    void Undone(std::uint64_t offset, std::uint64_t source);

    void Claimed(std::uint64_t offset, bool newName, bool claimed);
    bool Temporary(std::uint64_t offset, std::u16string_view name, bool inNewFolder);

    // Writes what is pending; `durable`: and makes it durable.
    bool Flush(bool durable = false);

private:
    static constexpr std::size_t kMarksAtOnce = 256;

    ExclusiveFile& file_;
    bool usable_ = false;
    std::string pending_;
    std::size_t pendingCount_ = 0;
    // The names left by records whose marks are pending: a few hundred at most, read
    // through faster than a hash set fills.
    std::vector<std::uint64_t> pendingSources_;
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

}  // namespace brindle
