#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ExclusiveFile.h"
#include "platform/FolderRename.h"
#include "platform/ItemStamp.h"

namespace brindle {

// Appends `text`, encoded with the name codec, and the log's line end (CR LF) to
// `record`. Records are built whole and written at once.
void WriteLogLine(std::string& record, std::u16string_view text);
void WriteLogLine(std::string& record, std::string_view key, std::u16string_view value);

// The marks' lines (LogParser.h tells what they say), appended to `bytes`: a mark of
// the record at `offset`; a temporary step of its item to `name` in its old or new
// folder; a claim of its old or new name, or the refusal of one.
void WriteMarkLine(std::string& bytes, std::string_view key, std::uint64_t offset);
void WriteTemporaryMark(std::string& bytes, std::uint64_t offset, bool inNewFolder,
                        std::u16string_view name);
void WriteClaimMark(std::string& bytes, std::uint64_t offset, bool inNewFolder, bool claimed);

// True when the text holds CR or LF: the line-based log cannot hold such a value, and it
// could forge records.
bool HoldsLineBreak(std::u16string_view text);

// Whether the open file is empty or begins with the log's version line: only such a file
// is ever written, cut or deleted as the log.
bool IsEmptyOrLog(const ExclusiveFile& file);

// Opens the log as ExclusiveFile does (`forUndo`: OpenForReadAndAppend, else
// OpenForAppend), and refuses a file that is no log (TrustFault::NotALog). 0 or errno;
// EPERM with `refusal` set when it was refused. `wait`: how long a lock that another
// Brindle holds is waited for.
int OpenTrustedLog(ExclusiveFile& file, std::u16string_view path, bool forUndo, TrustCheck& refusal,
                   const LockWait& wait = {});

// What the user is told when a log is refused: its path, what is wrong and the remedy.
std::u16string LogRefusalText(const TrustCheck& refusal, std::u16string_view logPath);

// What one rename record says.
struct RenameRecord {
    std::u16string_view currentDirectory;
    std::u16string_view newDirectory;
    std::u16string_view oldName;
    std::u16string_view newName;
    bool countSymbols = false;
    std::int32_t symbolCount = 0;
    // Inode numbers before the rename, 0 where unknown: Undo moves back only the item
    // the batch renamed, between the folders it renamed it in.
    std::uint64_t itemInode = 0;
    std::uint64_t itemLinks = 0;
    std::uint64_t oldFolderInode = 0;
    std::uint64_t newFolderInode = 0;
    // What tells each of them from a later file given its inode number; null or empty
    // where unknown.
    const ItemStamp* itemStamp = nullptr;
    const ItemStamp* oldFolderStamp = nullptr;
    const ItemStamp* newFolderStamp = nullptr;
};

// A stamp as the "Identity=" line holds it: "SECONDS.NANOSECONDS/TYPE:HEX", each part "-"
// where unknown, and "-" alone for no stamp at all.
void AppendStampField(std::string& bytes, const ItemStamp* stamp);

enum class LogWriteResult {
    Written,
    Failed,    // the log could not be opened, locked or written
    DiskFull,  // ENOSPC, EDQUOT or EFBIG: the batch stops
};

// The log writer. The file stays open and locked from the first record of a batch until
// Close(), so that a batch costs one open, not one per item. What became of a record's
// rename is marked in the log too; the mark rides in the next write, so that marking
// costs no write of its own.
class RenameLog {
public:
    ~RenameLog();

    // Records of several items at once: each is added to the group, then the group goes
    // to the log in one write, before any of them is renamed (and, `durable`, on a disk,
    // made durable by one fdatasync). The write carries the marks still pending, the
    // file's header first when the file is empty, and a directory pair before a record
    // when one is due: when its old or new directory differs from the last pair written,
    // or when the file is not as the last write left it (new, emptied, grown by another
    // writer; a torn last line is cut off first, and a chain left open is closed). A
    // failed write leaves the file as it was. The records' views must stay valid until
    // then. offset(i) is where record i's "Old File=" line lies, -1 when it was not
    // written.
    // `expected` records are about to be added: room for them is made at once.
    void BeginGroup(std::size_t expected = 0) {
        group_.clear();
        group_.reserve(expected);
    }
    // A batch begins: its key ("Batch=" line, BatchKeyOf) goes before its first record,
    // and again should the log be made anew during the batch.
    void StartBatch(std::string key) {
        batchKey_ = std::move(key);
        batchKeyDue_ = true;
    }
    void AddToGroup(const RenameRecord& record) { group_.push_back(record); }
    LogWriteResult WriteGroup(std::u16string_view path, bool durable);
    std::int64_t offset(std::size_t index) const {
        return index < offsets_.size() ? offsets_[index] : -1;
    }

    // The last group's records from record `first` on will never be renamed (the batch
    // stopped before them). They are cut off the log's end when nothing was written after
    // them, so that Undo never meets them; otherwise each is marked as failed. The next
    // record carries its directory pair.
    void WithdrawRecords(std::size_t first);

    // What became of the rename of the record at `offset`; marked with the next write.
    void NoteOutcome(std::int64_t offset, bool renamed);
    // Marks, durably and before it happens, that the last record's item is about to step
    // aside to `temporaryName` in its old folder. False when that could not be written.
    bool RecordTemporaryStep(std::int64_t offset, std::u16string_view temporaryName);
    // Marks that an empty file or folder is about to claim the record's new name (or,
    // `oldName`, its old name), or that it could not.
    void RecordClaim(std::int64_t offset, bool oldName, bool claimed);

    // Writes what is pending, then closes. 0 or the errno of a failing write or close.
    // Closing a closed log does nothing. A large group's buffers are given back.
    int Close();
    bool IsOpen() const { return file_.IsOpen(); }
    // Whether the open log lies on a filesystem held in memory, where no write waits for
    // the disk.
    bool InMemory() const { return file_.IsOpen() && file_.OnMemoryFilesystem(); }
    // How many times a file was opened at the log's path: a new count means a new file.
    std::uint64_t opens() const { return opens_; }
    // How long an open waits for a lock that another Brindle holds; by default not at all.
    void setLockWait(LockWait wait) { lockWait_ = std::move(wait); }

    // The errno of the last failure of a write, or of the open before it.
    int lastError() const { return lastError_; }
    // Why the last open refused the file at the log's path; trusted() when it did not.
    const TrustCheck& refusal() const { return refusal_; }

private:
    LogWriteResult Fail(int error);
    // Forgets the last group, and gives a large one's memory back.
    void ReleaseGroup();
    // Opens `path` for appending: created when missing, never truncated, exclusively. An
    // open file of the same path is kept unless it was removed meanwhile. Gives the
    // file's size (-1 when unknown), from the same fstat that tells whether the open file
    // was removed. 0 or errno.
    int OpenLogAndMeasure(std::u16string_view path, std::int64_t& size);
    // What goes before a record in a file that is not as our last write left it.
    void PrepareForeignEnd(std::int64_t& size, std::string& bytes);
    LogWriteResult WriteAt(std::int64_t size, const std::string& bytes);
    // `chain` holds the folder stamp fields written in full last, each written as "="
    // where the record's is the same and no directory pair comes with it.
    void AppendRecord(std::string& bytes, const RenameRecord& record, bool pairDue,
                      std::int64_t base, std::int64_t& offset, std::string (&chain)[2]);
    // The stamp field of the old (0) or new (1) folder.
    const std::string& FolderField(int which, const ItemStamp* stamp);
    struct FolderStampField {
        bool valid = false;
        bool known = false;
        ItemStamp stamp;
        std::string text;
    };
    FolderStampField folderFields_[2];
    // The folder stamp fields (old, new) written in full last, in the file as our last
    // write left it: a record in the same folders gives them as "=" (a third of its
    // length).
    std::string chainFields_[2];
    // 0 when the pending marks are written (or none were pending), kMarksDropped when
    // they belong to a file that is gone, otherwise the errno of the failure.
    int FlushPending(bool durable);
    static constexpr int kMarksDropped = -1;

    ExclusiveFile file_;
    std::u16string path_;
    std::u16string lastOldDirectory_;
    std::u16string lastNewDirectory_;
    // The record being built, kept to reuse its capacity.
    std::string bytes_;
    // Marks not written yet; they belong to the file as our last write left it.
    std::string pending_;
    // Size of the file right after our last write; -1 before the first one or after a
    // failure, so that the next record carries its directory pair.
    std::int64_t sizeAfterLastRecord_ = -1;
    std::vector<RenameRecord> group_;
    std::vector<std::int64_t> offsets_;
    // Where each record of the last group begins (its "Identity=" line), and the file's
    // size right after the group's write.
    std::vector<std::int64_t> starts_;
    std::int64_t groupEnd_ = -1;
    // Records were cut off: the next one carries its directory pair whatever came before.
    bool pairDue_ = false;
    std::string batchKey_;
    bool batchKeyDue_ = false;
    // The last group's write began with the key line.
    bool keyInGroup_ = false;
    int lastError_ = 0;
    TrustCheck refusal_;
    std::uint64_t opens_ = 0;
    LockWait lockWait_;
};

// Records the steps of one item's rename in the log before they are taken.
class LoggedRenameSteps final : public RenameSteps {
public:
    LoggedRenameSteps(RenameLog& log, std::int64_t offset) : log_(log), offset_(offset) {}
    bool BeforeTemporaryStep(std::u16string_view temporaryName) override {
        return log_.RecordTemporaryStep(offset_, temporaryName);
    }
    void BeforeClaim(bool atSource) override { log_.RecordClaim(offset_, atSource, true); }
    void ClaimRefused(bool atSource) override { log_.RecordClaim(offset_, atSource, false); }

private:
    RenameLog& log_;
    std::int64_t offset_;
};

}  // namespace brindle
