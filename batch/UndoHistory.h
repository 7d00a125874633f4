#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/LogParser.h"
#include "platform/TrustCheck.h"
#include "platform/WallClock.h"

namespace brindle {

// A batch's key: the moment it started, in UTC, as the log's "Batch=" line holds it
// ("2026-12-09T15:52:46.123456789Z").
std::string BatchKeyOf(const WallTime& start);
// The moment a key names; nothing for a key written otherwise.
std::optional<WallTime> BatchStartOf(std::string_view key);

// One batch of the log as the history shows it and Undo takes it back.
struct LoggedBatch {
    std::u16string key;  // empty: written by an earlier version, before batches had keys
    std::optional<WallTime> start;
    std::u16string firstFolder;  // the folder of its first record
    std::size_t firstRecord = 0;
    std::size_t endRecord = 0;  // one past its last record
    std::size_t renamed = 0;    // records whose item was renamed (or may have been)
    std::size_t undone = 0;     // of those, put back since
    std::size_t neverRenamed = 0;
    std::size_t leftToUndo() const { return renamed - undone; }
};

// The batches of a log, oldest first.
std::vector<LoggedBatch> ListBatches(const UndoLog& log);

// Reads the log at `path` (opened as trusted as Undo opens it, and under its lock) and
// lists its batches. 0 or the errno; EPERM with `refusal` set when the log was refused.
int ReadBatchHistory(std::u16string_view path, std::vector<LoggedBatch>& batches,
                     TrustCheck& refusal);

// The newest batch with something left to undo; null when none has.
const LoggedBatch* NewestToUndo(const std::vector<LoggedBatch>& batches);

// When the batch started, in the user's time zone ("2026-12-09 16:52:46"), or "before
// batches were dated" for an earlier version's records.
std::u16string BatchWhenText(const LoggedBatch& batch);
// "310 items renamed in /home/u/Photos/, 2026-12-09 16:52:46" (what is left to undo of
// them, where some are undone already); "nothing renamed in ..." for a batch without.
std::u16string DescribeBatch(const LoggedBatch& batch);
// What the history says of a batch beside its time and folder: "12 renamed",
// "12 renamed, 3 undone", "12 renamed, all undone", or "nothing renamed".
std::u16string BatchStateText(const LoggedBatch& batch);

}  // namespace brindle
