#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "batch/LogLineReader.h"
#include "platform/BulkRegion.h"
#include "platform/ItemStamp.h"

namespace brindle {

// The log's lines, as bytes (the names in them are encoded with the name codec).
inline constexpr std::string_view kLogVersionLine = "Version=3.7";
inline constexpr std::string_view kLogKeyOldDirectory = "Old Directory=";
inline constexpr std::string_view kLogKeyNewDirectory = "New Directory=";
inline constexpr std::string_view kLogKeyOldFile = "Old File=";
inline constexpr std::string_view kLogKeyNewFile = "New File=";
inline constexpr std::string_view kLogKeyFileLength = "File Leght=";
inline constexpr std::string_view kLogSeparator = "-------------------------------------------";
inline constexpr std::string_view kLogLineEnd = "\r\n";

// Lines that readers of the original format skip: they stand between records, never
// inside a chain. "Identity=" comes before the record it belongs to and gives, as they
// were before the rename, the item's inode number and link count and the inode numbers
// of its folder and its new folder ("-" where unknown), and, where the filesystem gives
// them, the stamps of the item, its folder and its new folder (AppendStampField); a
// folder's stamp written in full once stands for the records after it: a record without a
// directory pair may give it as "=" (kLogSameStamp), the same as the last one in full
// for that folder of the record in the log. It
// also tells that the record's outcome is marked. The marks name their record by the byte offset of
// its "Old File=" line: "Renamed=" and "Failed=" say what became of the rename, "Undone=" that Undo
// has put the item back, "Temporary=" (offset, "old" or "new", name) that the item was about to
// step aside to a temporary name of its old or its new folder, "Claimed=" (offset, "old" or "new")
// that an empty file or folder was about to claim the item's old or new name for a rename that is
// to take its place, and "Unclaimed=" that it could not. "Batch=" (below) stands before a
// batch's first record.
inline constexpr std::string_view kLogKeyIdentity = "Identity=";
inline constexpr std::string_view kLogSameStamp = "=";
// Each batch begins its records with its key, the time it started (BatchKey.h); records
// before the first such line were written by an earlier version and make one batch.
inline constexpr std::string_view kLogKeyBatch = "Batch=";
inline constexpr std::string_view kLogKeyRenamed = "Renamed=";
inline constexpr std::string_view kLogKeyFailed = "Failed=";
inline constexpr std::string_view kLogKeyUndone = "Undone=";
inline constexpr std::string_view kLogKeyTemporary = "Temporary=";
inline constexpr std::string_view kLogKeyClaimed = "Claimed=";
inline constexpr std::string_view kLogKeyUnclaimed = "Unclaimed=";
inline constexpr std::string_view kLogTemporaryInOld = "old";
inline constexpr std::string_view kLogTemporaryInNew = "new";

// A line (without its line end) after which a record's own lines are read as they stand:
// no chain is open after it.
bool ClosesChains(std::string_view line);

// One record as Undo reads it: the item went from oldDirectory + oldName to
// newDirectory + newName.
struct LogRecord {
    std::u16string oldDirectory;
    std::u16string newDirectory;
    std::u16string oldName;
    std::u16string newName;
    bool operator==(const LogRecord&) const = default;
};

// Reads the records of a log's bytes, oldest first, by Undo's reading rules:
// - a line ends at LF, a CR right before it is dropped; a last line without its LF was
//   torn by a crash and is ignored, as is a record whose lines the file ends amid;
// - "Old Directory=" starts a chain "New Directory=", "Old File=", "New File="; the first
//   line that does not carry the expected key is consumed and ends the chain;
// - "Old File=" outside a chain starts a record when an old directory is known (else it
//   is skipped), and takes "New File=" from the next line when it carries it;
// - a value is the whole rest of the line after its key; a value a chain did not reach
//   keeps the value of the record before;
// - every other line is skipped.
// When `whole` is given, it gets one flag per record: false when the record's chain
// ended before its own "New File=" line, so that some of its values are the record
// before's and the record names no rename that really happened.
// Pure: no disk access.
std::vector<LogRecord> ParseLog(std::string_view bytes, std::vector<bool>* whole = nullptr);

enum class RecordOutcome { Unknown, Renamed, Failed };

// What Undo makes of a record: nothing to do (its names did not change), its item to be
// put back (renamed, or possibly renamed where the log does not say), put back already,
// or never renamed (failed, refused, "Only Log").
enum class RecordState { Unchanged, ToUndo, Undone, NeverRenamed };

// Where a record's item was about to step aside to.
struct TemporaryStep {
    bool inNewFolder = false;
    std::u16string name;
    bool operator==(const TemporaryStep&) const = default;
};

// One record as Undo needs it: its names, and what the lines around it tell.
struct UndoRecord {
    LogRecord names;
    bool whole = true;            // the chain reached the record's own "New File=" line
    bool marked = false;          // an "Identity=" line came before it: its outcome is marked
    std::uint64_t itemInode = 0;  // 0: unknown
    std::uint64_t itemLinks = 0;
    std::uint64_t oldFolderInode = 0;
    std::uint64_t newFolderInode = 0;
    // Empty where the log gives none (logs of earlier versions, filesystems without them).
    ItemStamp itemStamp;
    ItemStamp oldFolderStamp;
    ItemStamp newFolderStamp;
    std::uint64_t offset = 0;  // of its "Old File=" line
    RecordOutcome outcome = RecordOutcome::Unknown;
    bool undone = false;
    std::vector<TemporaryStep> temporarySteps;
    bool claimedOld = false;
    bool claimedNew = false;
};

// The records of a log as Undo needs them, with the new lines applied to them, kept
// compactly: the names as the log's bytes hold them, each folder once, the rest in a
// few numbers, so that Undo of a log of a million records holds about a hundred bytes
// per record, not the log and its decoded strings besides.
class UndoLog {
public:
    using ReadBytes = LogLineReader::ReadBytes;

    // Reads a whole log through `read`, a chunk at a time. False when a read failed.
    // `sizeHint`, the log's size where known, lets the room for its records be taken once.
    bool Read(const ReadBytes& read, std::uint64_t sizeHint = 0);
    static UndoLog FromBytes(std::string_view bytes);

    std::size_t size() const { return recordCount_; }
    // The record, oldest first, with its names decoded.
    UndoRecord At(std::size_t index) const;
    // The same into `record`, reusing its room: Undo reads every record through one.
    void At(std::size_t index, UndoRecord& record) const;
    // What Undo makes of the record, without decoding it.
    RecordState StateOf(std::size_t index) const;

    // The batches, oldest first: the key of each (empty for the records an earlier version
    // wrote before the first key) and its first record; a batch ends where the next
    // begins. Batches without records are left out.
    struct Batch {
        std::string key;
        std::size_t firstRecord = 0;
    };
    const std::vector<Batch>& batches() const { return batches_; }
    // The old folder of a record, decoded.
    const std::u16string& OldDirectoryOf(std::size_t index) const {
        return Directory(CompactAt(index).oldDirectory);
    }

    // Where Undo will look for the item of record `index` by its stamp, as the log's
    // bytes spell it; empty names where it will not (no stamp, not renamed, undone, cut
    // short). Reads only what never changes once the log is read, so that another
    // thread may ask while Undo runs.
    struct Place {
        std::string_view newDirectory;
        std::string_view newName;
    };
    Place StampedPlaceOf(std::size_t index) const;

    // How many bytes of the log end with a complete line (a torn last line after them),
    // and whether that last complete line leaves no chain open for lines added after it.
    std::uint64_t completeBytes() const { return completeBytes_; }
    bool endsClosed() const { return endsClosed_; }

private:
    friend class UndoLogBuilder;
    struct Compact {
        std::uint64_t offset = 0;
        std::uint64_t itemInode = 0;
        std::uint32_t oldDirectory = 0;  // index into directories_
        std::uint32_t newDirectory = 0;
        // Where the old name, then the new name, then the item's stamp lie in names_.
        std::uint64_t namePosition = 0;
        std::uint32_t itemLinks = 0;
        std::uint32_t oldLength = 0;
        std::uint32_t newLength = 0;
        std::uint32_t folders = 0;  // index into folders_
        std::uint8_t flags = 0;
        std::uint8_t stampLength = 0;  // 0: no stamp
        RecordOutcome outcome = RecordOutcome::Unknown;
    };
    // What a record tells of its two folders; records in a row share one.
    struct Folders {
        std::uint64_t oldInode = 0;
        std::uint64_t newInode = 0;
        ItemStamp oldStamp;
        ItemStamp newStamp;
        bool operator==(const Folders&) const = default;
    };
    struct Temporary {
        std::size_t record = 0;
        bool inNewFolder = false;
        std::string name;
    };
    std::string_view Names(const Compact& record, bool newName) const;
    const Compact& CompactAt(std::size_t index) const {
        return reinterpret_cast<const Compact*>(records_.data())[index];
    }

    // The records in a row, and their names, each in room that grows without copying.
    BulkRegion records_;
    std::size_t recordCount_ = 0;
    BulkRegion names_;
    std::size_t namesUsed_ = 0;
    std::vector<Folders> folders_;
    std::vector<std::string> directories_;
    // The folders decoded, each once, as records are read back.
    mutable std::vector<std::u16string> decodedDirectories_;
    mutable std::vector<bool> decoded_;
    const std::u16string& Directory(std::uint32_t index) const;
    std::vector<Temporary> temporaries_;
    std::vector<Batch> batches_;
    std::uint64_t completeBytes_ = 0;
    bool endsClosed_ = true;
};

// The records of ParseLog, with the new lines applied to them.
std::vector<UndoRecord> ParseLogForUndo(std::string_view bytes);

}  // namespace brindle
