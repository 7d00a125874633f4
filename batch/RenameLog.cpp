#include "batch/RenameLog.h"

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "batch/LogParser.h"
#include "engine/IntegerText.h"
#include "engine/TextOps.h"
#include "platform/FileSystem.h"
#include "platform/NameCodec.h"

namespace brindle {

void WriteLogLine(std::string& record, std::u16string_view text) {
    record += EncodeName(text);
    record += kLogLineEnd;
}

void WriteLogLine(std::string& record, std::string_view key, std::u16string_view value) {
    record += key;
    WriteLogLine(record, value);
}

bool HoldsLineBreak(std::u16string_view text) {
    // Every name of a batch is asked: one pass, with no search for each unit.
    unsigned found = 0;
    for (const char16_t unit : text)
        found |= static_cast<unsigned>(unit == u'\r') | static_cast<unsigned>(unit == u'\n');
    return found != 0;
}

namespace {

// The longest tail read to find the log's last line.
constexpr std::int64_t kTailWindow = 65536;

template <typename Integer>
void AppendDecimal(std::string& bytes, Integer value) {
    char digits[24];
    bytes.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void AppendInode(std::string& bytes, std::uint64_t inode) {
    if (inode == 0)
        bytes += '-';
    else
        AppendDecimal(bytes, inode);
}

bool HasStamp(const ItemStamp* stamp) {
    return stamp != nullptr && !stamp->empty();
}

// A mark's key and offset; its line is not ended yet.
void BeginMark(std::string& bytes, std::string_view key, std::uint64_t offset) {
    bytes += key;
    AppendDecimal(bytes, offset);
}

}  // namespace

void AppendStampField(std::string& bytes, const ItemStamp* stamp) {
    if (!HasStamp(stamp)) {
        bytes += '-';
        return;
    }
    if (stamp->hasBirth) {
        AppendDecimal(bytes, stamp->birthSeconds);
        char nanoseconds[9];
        std::uint32_t rest = stamp->birthNanoseconds;
        for (int i = 8; i >= 0; --i, rest /= 10)
            nanoseconds[i] = static_cast<char>('0' + rest % 10);
        bytes += '.';
        bytes.append(nanoseconds, sizeof nanoseconds);
    } else {
        bytes += '-';
    }
    bytes += '/';
    if (stamp->handle.empty()) {
        bytes += '-';
        return;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    AppendDecimal(bytes, stamp->handleType);
    bytes += ':';
    for (const char c : stamp->handle) {
        const auto byte = static_cast<unsigned char>(c);
        bytes += kHex[byte >> 4];
        bytes += kHex[byte & 15];
    }
}

void WriteMarkLine(std::string& bytes, std::string_view key, std::uint64_t offset) {
    BeginMark(bytes, key, offset);
    bytes += kLogLineEnd;
}

void WriteTemporaryMark(std::string& bytes, std::uint64_t offset, bool inNewFolder,
                        std::u16string_view name) {
    BeginMark(bytes, kLogKeyTemporary, offset);
    bytes += ' ';
    bytes += inNewFolder ? kLogTemporaryInNew : kLogTemporaryInOld;
    bytes += ' ';
    WriteLogLine(bytes, name);
}

void WriteClaimMark(std::string& bytes, std::uint64_t offset, bool inNewFolder, bool claimed) {
    BeginMark(bytes, claimed ? kLogKeyClaimed : kLogKeyUnclaimed, offset);
    bytes += ' ';
    bytes += inNewFolder ? kLogTemporaryInNew : kLogTemporaryInOld;
    bytes += kLogLineEnd;
}

bool IsEmptyOrLog(const ExclusiveFile& file) {
    char head[64];
    const long got = file.ReadAt(0, head, sizeof head);
    if (got <= 0)
        return got == 0;
    std::string_view line(head, static_cast<std::size_t>(got));
    line = line.substr(0, line.find('\n'));
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return line == kLogVersionLine;
}

int OpenTrustedLog(ExclusiveFile& file, std::u16string_view path, bool forUndo, TrustCheck& refusal,
                   const LockWait& wait) {
    const int error =
        forUndo ? file.OpenForReadAndAppend(path, wait) : file.OpenForAppend(path, wait);
    refusal = file.refusal();
    if (error != 0)
        return error;
    if (!IsEmptyOrLog(file)) {
        file.Close();
        refusal = TrustCheck{TrustFault::NotALog, std::u16string(path)};
        return EPERM;
    }
    return 0;
}

std::u16string LogRefusalText(const TrustCheck& refusal, std::u16string_view logPath) {
    std::u16string text = u"Brindle does not use the log ";
    text += logPath;
    text += u": ";
    const std::u16string& path = refusal.path;
    const bool isLog = path == logPath;
    const std::u16string what = (isLog ? u"it" : u"the folder " + path);
    switch (refusal.fault) {
        case TrustFault::None:
            break;
        case TrustFault::OwnedByOther:
            text += what + u" belongs to another user (" + DecimalText(refusal.owner) +
                    u"), who could change what Undo moves. Use a log in a folder of your own.";
            break;
        case TrustFault::WritableByOthers:
            text += what + u" can be written by other users, who could change what Undo moves. " +
                    u"Fix it with: chmod go-w " + path;
            break;
        case TrustFault::SymbolicLink:
            text += u"it is a symbolic link, which Brindle never follows. Give the log's own path.";
            break;
        case TrustFault::NotRegularFile:
            text += u"it is no regular file.";
            break;
        case TrustFault::NotALog:
            text += u"it is not a Brindle log (its first line is not \"";
            text += DecodeName(kLogVersionLine);
            text += u"\"), and Brindle never writes, cuts or deletes it. Give another path.";
            break;
        case TrustFault::Unchecked:
            text +=
                u"the folder " + path + u" cannot be checked: " + SystemErrorText(refusal.error);
            break;
    }
    return text;
}

RenameLog::~RenameLog() {
    Close();
}

int RenameLog::OpenLogAndMeasure(std::u16string_view path, std::int64_t& size) {
    size = -1;
    if (file_.IsOpen()) {
        std::int64_t links = -1;
        const bool known = file_.SizeAndLinkCount(size, links);
        if (path == path_ && (!known || links != 0))
            return 0;
        size = -1;
        // Removed meanwhile, or another log: start on the file now at the path. What
        // was written to a removed file is gone with it, so its close has nothing to say.
        file_.Close();
    }
    const int error = OpenTrustedLog(file_, path, false, refusal_, lockWait_);
    if (error != 0)
        return error;
    path_ = std::u16string(path);
    ++opens_;
    size = file_.Size();
    return 0;
}

LogWriteResult RenameLog::Fail(int error) {
    lastError_ = error;
    sizeAfterLastRecord_ = -1;
    return IsDiskFullError(error) ? LogWriteResult::DiskFull : LogWriteResult::Failed;
}

void RenameLog::PrepareForeignEnd(std::int64_t& size, std::string& bytes) {
    const std::string closeTornLine =
        std::string(kLogLineEnd) + std::string(kLogSeparator) + std::string(kLogLineEnd);
    std::string tail(static_cast<std::size_t>(std::min(size, kTailWindow)), '\0');
    const long got =
        file_.ReadAt(size - static_cast<std::int64_t>(tail.size()), tail.data(), tail.size());
    if (got != static_cast<long>(tail.size())) {
        bytes += kLogSeparator;
        bytes += kLogLineEnd;
        return;
    }
    const std::size_t lastLineEnd = tail.rfind('\n');
    if (lastLineEnd == std::string::npos) {
        // One line longer than the window: end it, and close what it may have opened.
        bytes += closeTornLine;
        return;
    }
    if (lastLineEnd + 1 != tail.size()) {
        // A last line torn by a crash is never read; completed, it would take a meaning
        // it never had (a new name cut short), so it is cut off instead.
        const std::int64_t cut = size - static_cast<std::int64_t>(tail.size() - (lastLineEnd + 1));
        if (file_.Truncate(cut) != 0) {
            bytes += closeTornLine;
            return;
        }
        size = cut;
        tail.resize(lastLineEnd + 1);
        if (size == 0)
            return;
    }
    // The last complete line: a chain it leaves open would swallow this record's lines.
    std::string_view complete(tail);
    complete.remove_suffix(1);
    if (!complete.empty() && complete.back() == '\r')
        complete.remove_suffix(1);
    const std::size_t start = complete.rfind('\n');
    const bool wholeLineSeen =
        start != std::string_view::npos || static_cast<std::int64_t>(tail.size()) == size;
    const std::string_view line = complete.substr(start == std::string_view::npos ? 0 : start + 1);
    if (!wholeLineSeen || !ClosesChains(line)) {
        bytes += kLogSeparator;
        bytes += kLogLineEnd;
    }
}

LogWriteResult RenameLog::WriteAt(std::int64_t size, const std::string& bytes) {
    const int writeError = file_.Write(bytes);
    if (writeError != 0) {
        // A record written in part is taken back, so that no torn record is left.
        if (file_.Size() > size)
            file_.Truncate(size);
        return Fail(writeError);
    }
    sizeAfterLastRecord_ = size + static_cast<std::int64_t>(bytes.size());
    return LogWriteResult::Written;
}

const std::string& RenameLog::FolderField(int which, const ItemStamp* stamp) {
    // Records in a row share their folders: each field is formatted once per row.
    FolderStampField& field = folderFields_[which];
    const bool known = HasStamp(stamp);
    if (!field.valid || field.known != known || (known && !(field.stamp == *stamp))) {
        field.valid = true;
        field.known = known;
        field.stamp = known ? *stamp : ItemStamp{};
        field.text.clear();
        AppendStampField(field.text, stamp);
    }
    return field.text;
}

void RenameLog::AppendRecord(std::string& bytes, const RenameRecord& record, bool pairDue,
                             std::int64_t base, std::int64_t& offset, std::string (&chain)[2]) {
    // Before the record, where a torn write can only leave it without its record.
    bytes += kLogKeyIdentity;
    AppendInode(bytes, record.itemInode);
    bytes += ' ';
    AppendInode(bytes, record.itemLinks);
    bytes += ' ';
    AppendInode(bytes, record.oldFolderInode);
    bytes += ' ';
    AppendInode(bytes, record.newFolderInode);
    // The stamps only where one is known, so that a filesystem without them logs as
    // before.
    if (HasStamp(record.itemStamp) || HasStamp(record.oldFolderStamp) ||
        HasStamp(record.newFolderStamp)) {
        bytes += ' ';
        AppendStampField(bytes, record.itemStamp);
        const ItemStamp* folders[2] = {record.oldFolderStamp, record.newFolderStamp};
        for (int which = 0; which < 2; ++which) {
            bytes += ' ';
            const std::string& field = FolderField(which, folders[which]);
            // A record with a directory pair stands on its own: its reader needs no
            // record before it.
            if (!pairDue && field.size() > 1 && field == chain[which]) {
                bytes += kLogSameStamp;
            } else {
                bytes += field;
                chain[which] = field;
            }
        }
    }
    bytes += kLogLineEnd;
    if (pairDue) {
        WriteLogLine(bytes, kLogKeyOldDirectory, record.currentDirectory);
        WriteLogLine(bytes, kLogKeyNewDirectory, record.newDirectory);
    }
    offset = base + static_cast<std::int64_t>(bytes.size());
    WriteLogLine(bytes, kLogKeyOldFile, record.oldName);
    WriteLogLine(bytes, kLogKeyNewFile, record.newName);
    if (record.countSymbols) {
        bytes += kLogKeyFileLength;
        AppendDecimal(bytes, record.symbolCount);
        bytes += kLogLineEnd;
    }
    bytes += kLogSeparator;
    bytes += kLogLineEnd;
}

LogWriteResult RenameLog::WriteGroup(std::u16string_view path, bool durable) {
    offsets_.assign(group_.size(), -1);
    starts_.assign(group_.size(), -1);
    groupEnd_ = -1;
    std::int64_t size = -1;
    const int openError = OpenLogAndMeasure(path, size);
    if (openError != 0)
        return Fail(openError);
    if (size < 0)
        return Fail(EIO);

    const bool asWeLeftIt = size == sizeAfterLastRecord_;
    std::string& bytes = bytes_;
    bytes.clear();
    // Room for the whole write at once, so that a large group is not copied as it grows:
    // the names at their longest in UTF-8 (3 bytes a UTF-16 unit) and a guess for the
    // rest of a record, its stamps and a directory pair of short paths included. Room
    // never written is never touched; a longer write grows the string as usual.
    constexpr std::size_t kRecordBytes = 320;
    std::size_t room = pending_.size() + kRecordBytes;
    for (const RenameRecord& record : group_)
        room += kRecordBytes + 3 * (record.oldName.size() + record.newName.size());
    bytes.reserve(room);
    if (asWeLeftIt) {
        bytes += pending_;
    } else {
        // The marks name records of a file that is gone or changed.
        pending_.clear();
        if (size > 0)
            PrepareForeignEnd(size, bytes);
    }
    if (size == 0)
        WriteLogLine(bytes, kLogVersionLine, u"");
    std::u16string_view lastOld = lastOldDirectory_;
    std::u16string_view lastNew = lastNewDirectory_;
    bool pairWritten = asWeLeftIt && !pairDue_;
    // A file that is not as we left it (made anew, say) is told the batch's key again.
    const bool keyDue = !batchKey_.empty() && !group_.empty() && (batchKeyDue_ || !asWeLeftIt);
    // The chain goes on only from the file as our last write left it; it is kept once
    // this write is.
    std::string chain[2];
    if (asWeLeftIt && !pairDue_) {
        chain[0] = chainFields_[0];
        chain[1] = chainFields_[1];
    }
    for (std::size_t i = 0; i < group_.size(); ++i) {
        const RenameRecord& record = group_[i];
        const bool pairDue =
            !pairWritten || record.currentDirectory != lastOld || record.newDirectory != lastNew;
        starts_[i] = size + static_cast<std::int64_t>(bytes.size());
        if (i == 0 && keyDue) {
            // Cut off with the first record, should it be withdrawn.
            bytes += kLogKeyBatch;
            bytes += batchKey_;
            bytes += kLogLineEnd;
        }
        AppendRecord(bytes, record, pairDue, size, offsets_[i], chain);
        pairWritten = true;
        lastOld = record.currentDirectory;
        lastNew = record.newDirectory;
    }

    const LogWriteResult result = WriteAt(size, bytes);
    if (result != LogWriteResult::Written) {
        offsets_.assign(group_.size(), -1);
        return result;
    }
    pending_.clear();
    chainFields_[0] = std::move(chain[0]);
    chainFields_[1] = std::move(chain[1]);
    keyInGroup_ = keyDue;
    if (keyDue)
        batchKeyDue_ = false;
    if (!group_.empty()) {
        lastOldDirectory_.assign(group_.back().currentDirectory);
        lastNewDirectory_.assign(group_.back().newDirectory);
        pairDue_ = false;
    }
    // On a disk the records are made durable before any of their renames; a memory
    // filesystem loses everything at once anyway.
    if (durable && !file_.OnMemoryFilesystem()) {
        const int error = file_.Sync();
        if (error != 0) {
            offsets_.assign(group_.size(), -1);
            return Fail(error);
        }
    }
    groupEnd_ = sizeAfterLastRecord_;
    return LogWriteResult::Written;
}

void RenameLog::WithdrawRecords(std::size_t first) {
    if (first >= offsets_.size() || offsets_[first] < 0)
        return;
    // Only where the group's write is still the file's end: a mark written since (a step
    // of an item renamed before the stop) must stay.
    std::int64_t size = -1;
    std::int64_t links = -1;
    const std::int64_t cut = starts_[first];
    if (file_.IsOpen() && groupEnd_ >= 0 && sizeAfterLastRecord_ == groupEnd_ &&
        file_.SizeAndLinkCount(size, links) && links != 0 && size == groupEnd_ &&
        file_.Truncate(cut) == 0) {
        // The marks pending belong to records before the cut, whose offsets stay.
        sizeAfterLastRecord_ = cut;
        groupEnd_ = -1;
        pairDue_ = true;
        // The key went with the group's first record.
        if (first == 0 && keyInGroup_)
            batchKeyDue_ = true;
        offsets_.resize(first);
        starts_.resize(first);
        return;
    }
    for (std::size_t i = first; i < offsets_.size(); ++i)
        NoteOutcome(offsets_[i], false);
}

void RenameLog::NoteOutcome(std::int64_t offset, bool renamed) {
    if (offset < 0)
        return;
    WriteMarkLine(pending_, renamed ? kLogKeyRenamed : kLogKeyFailed,
                  static_cast<std::uint64_t>(offset));
}

int RenameLog::FlushPending(bool durable) {
    if (pending_.empty())
        return 0;
    if (!file_.IsOpen()) {
        pending_.clear();
        return kMarksDropped;
    }
    // The marks belong to the file open now, and only while it is as our last write left
    // it; a removed log is not made again for them.
    std::int64_t size = -1;
    std::int64_t links = -1;
    if (!file_.SizeAndLinkCount(size, links) || links == 0 || size != sizeAfterLastRecord_) {
        pending_.clear();
        return kMarksDropped;
    }
    if (WriteAt(size, pending_) != LogWriteResult::Written)
        return lastError_;
    pending_.clear();
    if (durable) {
        const int error = file_.Sync();
        if (error != 0) {
            Fail(error);
            return error;
        }
    }
    return 0;
}

bool RenameLog::RecordTemporaryStep(std::int64_t offset, std::u16string_view temporaryName) {
    if (offset < 0 || HoldsLineBreak(temporaryName))
        return false;
    WriteTemporaryMark(pending_, static_cast<std::uint64_t>(offset), false, temporaryName);
    return FlushPending(true) == 0;
}

void RenameLog::RecordClaim(std::int64_t offset, bool oldName, bool claimed) {
    if (offset < 0)
        return;
    WriteClaimMark(pending_, static_cast<std::uint64_t>(offset), !oldName, claimed);
    // Written at once, before the claim is made (and its refusal as soon as it is known),
    // so that Undo can remove an empty claim a kill left; not made durable, as the claim
    // itself is not.
    FlushPending(false);
}

int RenameLog::Close() {
    ReleaseGroup();
    if (!file_.IsOpen()) {
        pending_.clear();
        return 0;
    }
    int error = FlushPending(false);
    if (error == kMarksDropped)
        error = 0;
    pending_.clear();
    const int closeError = file_.Close();
    return error != 0 ? error : closeError;
}

void RenameLog::ReleaseGroup() {
    group_.clear();
    offsets_.clear();
    starts_.clear();
    groupEnd_ = -1;
    // A long batch's groups grow large; their buffers are not kept between batches.
    constexpr std::size_t kKeptBytes = 1 << 20;
    if (bytes_.capacity() > kKeptBytes) {
        std::string().swap(bytes_);
        std::vector<RenameRecord>().swap(group_);
        std::vector<std::int64_t>().swap(offsets_);
        std::vector<std::int64_t>().swap(starts_);
    }
}

}  // namespace brindle
