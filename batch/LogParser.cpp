#include "batch/LogParser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <unordered_map>

#include "batch/LogLineReader.h"
#include "platform/NameCodec.h"

namespace brindle {

namespace {

// A record takes at least this many bytes of the log ("Old File=" and "New File=" lines
// with names of one byte), so room for the records of a log of a known size is taken at
// once; lines edited into shorter broken chains only make the room grow.
constexpr std::size_t kLeastRecordBytes = 22;

enum Flag : std::uint8_t {
    kWhole = 1,
    kMarked = 2,
    kUndone = 4,
    kClaimedOld = 8,
    kClaimedNew = 16,
};

// Every line is held against several keys: most differ at the first byte.
bool Carries(std::string_view line, std::string_view key) {
    return !line.empty() && line.front() == key.front() && line.starts_with(key);
}

// Decimal digits only, and no overflow.
bool ParseNumber(std::string_view text, std::uint64_t& value) {
    if (text.empty() || text.size() > 19)
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

// Takes the text up to the next space off `text`.
std::string_view TakeField(std::string_view& text) {
    const std::size_t space = text.find(' ');
    const std::string_view field = text.substr(0, space);
    text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    return field;
}

struct Identity {
    std::uint64_t item = 0;
    std::uint64_t links = 0;
    std::uint64_t oldFolder = 0;
    std::uint64_t newFolder = 0;
    ItemStamp itemStamp;
    ItemStamp oldFolderStamp;
    ItemStamp newFolderStamp;
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// "SECONDS.NANOSECONDS", seconds possibly negative.
bool ParseBirth(std::string_view text, ItemStamp& stamp) {
    const auto dot = text.find('.');
    if (dot == std::string_view::npos || text.size() - dot - 1 != 9)
        return false;
    std::string_view seconds = text.substr(0, dot);
    const bool negative = seconds.starts_with('-');
    if (negative)
        seconds.remove_prefix(1);
    std::uint64_t whole = 0;
    std::uint64_t fraction = 0;
    if (!ParseNumber(seconds, whole) || whole > 0x7FFFFFFFFFFFFFFFull ||
        !ParseNumber(text.substr(dot + 1), fraction)) {
        return false;
    }
    stamp.hasBirth = true;
    stamp.birthSeconds =
        negative ? -static_cast<std::int64_t>(whole) : static_cast<std::int64_t>(whole);
    stamp.birthNanoseconds = static_cast<std::uint32_t>(fraction);
    return true;
}

// "TYPE:HEX", the bytes of a handle no longer than the kernel makes.
bool ParseHandle(std::string_view text, ItemStamp& stamp) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    std::string_view type = text.substr(0, colon);
    const std::string_view hex = text.substr(colon + 1);
    const bool negative = type.starts_with('-');
    if (negative)
        type.remove_prefix(1);
    std::uint64_t value = 0;
    if (!ParseNumber(type, value) || value > 0x7FFFFFFFu || hex.empty() || hex.size() % 2 != 0 ||
        hex.size() > 2 * 128) {
        return false;
    }
    std::string& bytes = stamp.handle;
    bytes.resize(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) {
            bytes.clear();
            return false;
        }
        bytes[i / 2] = static_cast<char>(high * 16 + low);
    }
    stamp.handleType =
        negative ? -static_cast<std::int32_t>(value) : static_cast<std::int32_t>(value);
    return true;
}

// A stamp field as AppendStampField writes it.
bool ParseStamp(std::string_view text, ItemStamp& stamp) {
    stamp = ItemStamp{};
    if (text == "-")
        return true;
    const auto slash = text.find('/');
    if (slash == std::string_view::npos)
        return false;
    const std::string_view birth = text.substr(0, slash);
    const std::string_view handle = text.substr(slash + 1);
    if (birth != "-" && !ParseBirth(birth, stamp))
        return false;
    if (handle != "-" && !ParseHandle(handle, stamp))
        return false;
    // "-/-" is written as "-".
    return !stamp.empty();
}

// `lastFolderStamps` are the folder stamps written in full last (old folder, new
// folder), which "=" stands for; a whole identity's full ones take their place.
// Filled in place: one for the whole log. False when the line is not an identity.
bool ParseIdentity(std::string_view text, std::array<ItemStamp, 2>& lastFolderStamps,
                   Identity& identity) {
    for (std::uint64_t* value :
         {&identity.item, &identity.links, &identity.oldFolder, &identity.newFolder}) {
        const std::string_view field = TakeField(text);
        if (field == "-")
            *value = 0;
        else if (!ParseNumber(field, *value))
            return false;
    }
    ItemStamp* folders[2] = {&identity.oldFolderStamp, &identity.newFolderStamp};
    bool same[2] = {false, false};
    const bool stamped = !text.empty();
    if (!stamped) {
        identity.itemStamp = ItemStamp{};
        identity.oldFolderStamp = ItemStamp{};
        identity.newFolderStamp = ItemStamp{};
    } else {
        // The stamps, all three or none.
        if (!ParseStamp(TakeField(text), identity.itemStamp))
            return false;
        for (int which = 0; which < 2; ++which) {
            if (text.empty())
                return false;
            const std::string_view field = TakeField(text);
            same[which] = field == kLogSameStamp;
            if (!same[which] && !ParseStamp(field, *folders[which]))
                return false;
        }
    }
    if (!text.empty() || identity.links > 0xFFFFFFFFu)
        return false;
    for (int which = 0; stamped && which < 2; ++which) {
        // "=" with nothing in full before it leaves the folder's stamp unknown.
        if (same[which])
            *folders[which] = lastFolderStamps[which];
        else
            lastFolderStamps[which] = *folders[which];
    }
    return true;
}

// An item's stamp in the blocks of names: which parts it has, the birth time, the
// handle's type, its length and its bytes.
constexpr std::uint8_t kStampBirth = 1;
constexpr std::uint8_t kStampHandle = 2;

std::size_t PackedStampSize(const ItemStamp& stamp) {
    if (stamp.empty())
        return 0;
    std::size_t size = sizeof(std::uint8_t);
    if (stamp.hasBirth)
        size += sizeof stamp.birthSeconds + sizeof stamp.birthNanoseconds;
    if (!stamp.handle.empty())
        size += sizeof stamp.handleType + sizeof(std::uint8_t) + stamp.handle.size();
    return size;
}

// Writes the PackedStampSize bytes of `stamp` at `out`.
void PackStamp(const ItemStamp& stamp, char* out) {
    if (stamp.empty())
        return;
    const auto put = [&out](const auto& value) {
        std::memcpy(out, &value, sizeof value);
        out += sizeof value;
    };
    std::uint8_t parts = 0;
    if (stamp.hasBirth)
        parts |= kStampBirth;
    if (!stamp.handle.empty())
        parts |= kStampHandle;
    put(parts);
    if (stamp.hasBirth) {
        put(stamp.birthSeconds);
        put(stamp.birthNanoseconds);
    }
    if (!stamp.handle.empty()) {
        put(stamp.handleType);
        put(static_cast<std::uint8_t>(stamp.handle.size()));
        std::memcpy(out, stamp.handle.data(), stamp.handle.size());
    }
}

ItemStamp UnpackedStamp(std::string_view bytes) {
    ItemStamp stamp;
    if (bytes.empty())
        return stamp;
    const auto take = [&bytes](auto& value) {
        std::memcpy(&value, bytes.data(), sizeof value);
        bytes.remove_prefix(sizeof value);
    };
    std::uint8_t parts = 0;
    take(parts);
    if ((parts & kStampBirth) != 0) {
        stamp.hasBirth = true;
        take(stamp.birthSeconds);
        take(stamp.birthNanoseconds);
    }
    if ((parts & kStampHandle) != 0) {
        std::uint8_t length = 0;
        take(stamp.handleType);
        take(length);
        stamp.handle.assign(bytes.substr(0, length));
    }
    return stamp;
}

}  // namespace

bool ClosesChains(std::string_view line) {
    return line == kLogSeparator || line == kLogVersionLine || Carries(line, kLogKeyRenamed) ||
           Carries(line, kLogKeyFailed) || Carries(line, kLogKeyUndone) ||
           Carries(line, kLogKeyTemporary) || Carries(line, kLogKeyClaimed) ||
           Carries(line, kLogKeyUnclaimed) || Carries(line, kLogKeyBatch);
}

// Undo's reading rules, line by line, into the compact form.
class UndoLogBuilder {
public:
    explicit UndoLogBuilder(UndoLog& log) : log_(log) {}

    bool Build(const UndoLog::ReadBytes& read, std::uint64_t sizeHint) {
        // Room never written is never taken from the system: a high guess costs only
        // addresses. The names and stamps of the records are mostly shorter than their lines.
        if (sizeHint > 0) {
            log_.records_.Reserve((sizeHint / kLeastRecordBytes + 1) * sizeof(UndoLog::Compact));
            log_.names_.Reserve(sizeHint);
        }
        LogLineReader reader(read);
        LogLine line;
        while (reader.Next(line)) {
            lastLineClosesChains_ = ClosesChains(line.text);
            if (Carries(line.text, kLogKeyOldDirectory)) {
                if (!ReadChain(reader, line))
                    break;
            } else if (Carries(line.text, kLogKeyOldFile)) {
                if (oldDirectory_.empty()) {
                    hasIdentity_ = false;
                    continue;
                }
                const std::uint64_t offset = line.offset;
                oldName_.assign(Value(line.text, kLogKeyOldFile));
                // A chain the file ends amid is a record torn by a crash: never undone.
                if (!reader.Next(line))
                    break;
                lastLineClosesChains_ = ClosesChains(line.text);
                const bool complete = Carries(line.text, kLogKeyNewFile);
                if (complete)
                    newName_.assign(Value(line.text, kLogKeyNewFile));
                Add(complete, offset);
            } else {
                ReadOtherLine(line.text);
            }
        }
        // The lines a reader stopped amid (a torn chain at the end) were complete lines
        // all the same; what follows them is not.
        if (!log_.batches_.empty() && log_.batches_.back().firstRecord == log_.recordCount_)
            log_.batches_.pop_back();
        log_.completeBytes_ = reader.completeBytes();
        log_.endsClosed_ = reader.completeBytes() == 0 || lastLineClosesChains_;
        return !reader.failed();
    }

private:
    static std::string_view Value(std::string_view line, std::string_view key) {
        return line.substr(key.size());
    }

    // A chain that starts with "Old Directory="; false when the file ends amid it.
    bool ReadChain(LogLineReader& reader, LogLine& line) {
        bool complete = false;
        std::uint64_t offset = line.offset;
        oldDirectory_.assign(Value(line.text, kLogKeyOldDirectory));
        oldDirectoryIndex_.reset();
        if (!reader.Next(line))
            return false;
        lastLineClosesChains_ = ClosesChains(line.text);
        if (Carries(line.text, kLogKeyNewDirectory)) {
            newDirectory_.assign(Value(line.text, kLogKeyNewDirectory));
            newDirectoryIndex_.reset();
            if (!reader.Next(line))
                return false;
            lastLineClosesChains_ = ClosesChains(line.text);
            if (Carries(line.text, kLogKeyOldFile)) {
                offset = line.offset;
                oldName_.assign(Value(line.text, kLogKeyOldFile));
                if (!reader.Next(line))
                    return false;
                lastLineClosesChains_ = ClosesChains(line.text);
                if (Carries(line.text, kLogKeyNewFile)) {
                    newName_.assign(Value(line.text, kLogKeyNewFile));
                    complete = true;
                }
            }
        }
        Add(complete, offset);
        return true;
    }

    std::uint32_t DirectoryIndex(const std::string& directory,
                                 std::optional<std::uint32_t>& cached) {
        if (!cached) {
            const auto [at, added] = directoryIndexes_.try_emplace(
                directory, static_cast<std::uint32_t>(log_.directories_.size()));
            if (added)
                log_.directories_.push_back(directory);
            cached = at->second;
        }
        return *cached;
    }

    // Room for `length` bytes of names, and its place in the record. Left unset: the
    // names are copied in at once.
    char* Reserve(std::size_t length, UndoLog::Compact& record) {
        // Some room even for names that are empty: never a null place to copy to.
        log_.names_.Reserve(std::max<std::size_t>(log_.namesUsed_ + length, 1));
        record.namePosition = log_.namesUsed_;
        log_.namesUsed_ += length;
        return log_.names_.data() + record.namePosition;
    }

    UndoLog::Compact* Records() {
        return reinterpret_cast<UndoLog::Compact*>(log_.records_.data());
    }

    void Push(const UndoLog::Compact& record) {
        log_.records_.Reserve((log_.recordCount_ + 1) * sizeof(UndoLog::Compact));
        new (Records() + log_.recordCount_) UndoLog::Compact(record);
        ++log_.recordCount_;
    }

    void Add(bool complete, std::uint64_t offset) {
        UndoLog::Compact record;
        record.offset = offset;
        if (complete)
            record.flags |= kWhole;
        record.oldDirectory = DirectoryIndex(oldDirectory_, oldDirectoryIndex_);
        record.newDirectory = DirectoryIndex(newDirectory_, newDirectoryIndex_);
        record.oldLength = static_cast<std::uint32_t>(oldName_.size());
        record.newLength = static_cast<std::uint32_t>(newName_.size());
        const std::size_t stampLength = hasIdentity_ ? PackedStampSize(identity_.itemStamp) : 0;
        record.stampLength = static_cast<std::uint8_t>(stampLength);
        char* names = Reserve(oldName_.size() + newName_.size() + stampLength, record);
        std::memcpy(names, oldName_.data(), oldName_.size());
        std::memcpy(names + oldName_.size(), newName_.data(), newName_.size());
        if (stampLength != 0)
            PackStamp(identity_.itemStamp, names + oldName_.size() + newName_.size());
        UndoLog::Folders folders;
        if (hasIdentity_) {
            record.flags |= kMarked;
            record.itemInode = identity_.item;
            record.itemLinks = static_cast<std::uint32_t>(identity_.links);
            folders = {identity_.oldFolder, identity_.newFolder,
                       std::move(identity_.oldFolderStamp), std::move(identity_.newFolderStamp)};
            hasIdentity_ = false;
        }
        record.folders = FoldersIndex(std::move(folders));
        // Records before the first key are one batch, an earlier version's.
        if (log_.batches_.empty())
            log_.batches_.push_back({std::string(), 0});
        Push(record);
    }

    // Records in a row mostly share their folders: each pair is kept once per row.
    std::uint32_t FoldersIndex(UndoLog::Folders folders) {
        auto& all = log_.folders_;
        if (all.empty() || !(all.back() == folders))
            all.push_back(std::move(folders));
        return static_cast<std::uint32_t>(all.size() - 1);
    }

    void ReadOtherLine(std::string_view text) {
        // An "Identity=" line belongs to the record that starts on the very next line.
        if (Carries(text, kLogKeyIdentity)) {
            hasIdentity_ =
                ParseIdentity(text.substr(kLogKeyIdentity.size()), lastFolderStamps_, identity_);
            return;
        }
        hasIdentity_ = false;
        if (Carries(text, kLogKeyBatch)) {
            StartBatch(text.substr(kLogKeyBatch.size()));
        } else if (Carries(text, kLogKeyRenamed) || Carries(text, kLogKeyFailed)) {
            const bool renamed = Carries(text, kLogKeyRenamed);
            const std::size_t keySize = renamed ? kLogKeyRenamed.size() : kLogKeyFailed.size();
            if (UndoLog::Compact* record = Named(text.substr(keySize)))
                record->outcome = renamed ? RecordOutcome::Renamed : RecordOutcome::Failed;
        } else if (Carries(text, kLogKeyUndone)) {
            if (UndoLog::Compact* record = Named(text.substr(kLogKeyUndone.size())))
                record->flags |= kUndone;
        } else if (Carries(text, kLogKeyTemporary)) {
            std::string_view rest = text.substr(kLogKeyTemporary.size());
            UndoLog::Compact* record = Named(TakeField(rest));
            const std::string_view side = TakeField(rest);
            if (record && !rest.empty() &&
                (side == kLogTemporaryInOld || side == kLogTemporaryInNew)) {
                log_.temporaries_.push_back(
                    {IndexOf(record), side == kLogTemporaryInNew, std::string(rest)});
            }
        } else if (Carries(text, kLogKeyClaimed) || Carries(text, kLogKeyUnclaimed)) {
            const bool claimed = Carries(text, kLogKeyClaimed);
            std::string_view rest =
                text.substr(claimed ? kLogKeyClaimed.size() : kLogKeyUnclaimed.size());
            UndoLog::Compact* record = Named(TakeField(rest));
            const std::uint8_t flag = rest == kLogTemporaryInNew   ? kClaimedNew
                                      : rest == kLogTemporaryInOld ? kClaimedOld
                                                                   : 0;
            if (record && flag != 0) {
                if (claimed)
                    record->flags |= flag;
                else
                    record->flags &= static_cast<std::uint8_t>(~flag);
            }
        }
    }

    // A key line begins a batch; the same key again (the log made anew during the batch)
    // goes on with it, and a batch that got no records gives way to the next.
    void StartBatch(std::string_view key) {
        auto& batches = log_.batches_;
        if (!batches.empty() && batches.back().key == key)
            return;
        if (!batches.empty() && batches.back().firstRecord == log_.recordCount_)
            batches.pop_back();
        batches.push_back({std::string(key), log_.recordCount_});
    }

    // The record whose "Old File=" line stands at the offset a mark names: records come
    // in the order of their offsets.
    UndoLog::Compact* Named(std::string_view offsetText) {
        std::uint64_t offset = 0;
        if (!ParseNumber(offsetText, offset))
            return nullptr;
        UndoLog::Compact* records = Records();
        const std::size_t count = log_.recordCount_;
        // Marks come in the order of their records, just after them: the record after the
        // one named last is the likely one.
        if (lastNamed_ + 1 < count && records[lastNamed_ + 1].offset == offset)
            return &records[++lastNamed_];
        UndoLog::Compact* const end = records + count;
        UndoLog::Compact* const at = std::lower_bound(
            records, end, offset, [](const UndoLog::Compact& record, std::uint64_t value) {
                return record.offset < value;
            });
        if (at == end || at->offset != offset)
            return nullptr;
        lastNamed_ = static_cast<std::size_t>(at - records);
        return at;
    }

    std::size_t IndexOf(const UndoLog::Compact* record) {
        return static_cast<std::size_t>(record - Records());
    }

    UndoLog& log_;
    // The values the last chain reached, as the log's bytes hold them.
    std::string oldDirectory_;
    std::string newDirectory_;
    std::string oldName_;
    std::string newName_;
    std::optional<std::uint32_t> oldDirectoryIndex_;
    std::optional<std::uint32_t> newDirectoryIndex_;
    std::unordered_map<std::string, std::uint32_t> directoryIndexes_;
    // The "Identity=" line just read, for the record on the next line.
    Identity identity_;
    bool hasIdentity_ = false;
    std::array<ItemStamp, 2> lastFolderStamps_;
    bool lastLineClosesChains_ = true;
    std::size_t lastNamed_ = static_cast<std::size_t>(-1);
};

bool UndoLog::Read(const ReadBytes& read, std::uint64_t sizeHint) {
    *this = UndoLog();
    return UndoLogBuilder(*this).Build(read, sizeHint);
}

UndoLog UndoLog::FromBytes(std::string_view bytes) {
    UndoLog log;
    std::size_t given = 0;
    log.Read(
        [&](char* buffer, std::size_t size) -> long {
            const std::size_t count = std::min(size, bytes.size() - given);
            std::memcpy(buffer, bytes.data() + given, count);
            given += count;
            return static_cast<long>(count);
        },
        bytes.size());
    return log;
}

std::string_view UndoLog::Names(const Compact& record, bool newName) const {
    if (names_.data() == nullptr)
        return {};
    const char* block = names_.data() + record.namePosition;
    return newName ? std::string_view(block + record.oldLength, record.newLength)
                   : std::string_view(block, record.oldLength);
}

const std::u16string& UndoLog::Directory(std::uint32_t index) const {
    if (decoded_.size() != directories_.size()) {
        decoded_.assign(directories_.size(), false);
        decodedDirectories_.assign(directories_.size(), {});
    }
    if (!decoded_[index]) {
        decodedDirectories_[index] = DecodeName(directories_[index]);
        decoded_[index] = true;
    }
    return decodedDirectories_[index];
}

UndoLog::Place UndoLog::StampedPlaceOf(std::size_t index) const {
    const Compact& compact = CompactAt(index);
    const std::uint8_t needed = kWhole | kMarked;
    if (compact.stampLength == 0 || (compact.flags & (needed | kUndone)) != needed ||
        compact.outcome != RecordOutcome::Renamed) {
        return {};
    }
    return {directories_[compact.newDirectory], Names(compact, true)};
}

RecordState UndoLog::StateOf(std::size_t index) const {
    const Compact& compact = CompactAt(index);
    if (compact.oldDirectory == compact.newDirectory &&
        Names(compact, false) == Names(compact, true))
        return RecordState::Unchanged;
    if ((compact.flags & kUndone) != 0)
        return RecordState::Undone;
    if ((compact.flags & kMarked) != 0 && compact.outcome == RecordOutcome::Failed)
        return RecordState::NeverRenamed;
    return RecordState::ToUndo;
}

UndoRecord UndoLog::At(std::size_t index) const {
    UndoRecord record;
    At(index, record);
    return record;
}

void UndoLog::At(std::size_t index, UndoRecord& record) const {
    const Compact& compact = CompactAt(index);
    record.names.oldDirectory = Directory(compact.oldDirectory);
    record.names.newDirectory = Directory(compact.newDirectory);
    DecodeNameInto(Names(compact, false), record.names.oldName);
    DecodeNameInto(Names(compact, true), record.names.newName);
    record.whole = (compact.flags & kWhole) != 0;
    record.marked = (compact.flags & kMarked) != 0;
    record.itemInode = compact.itemInode;
    record.itemLinks = compact.itemLinks;
    const Folders& folders = folders_[compact.folders];
    record.oldFolderInode = folders.oldInode;
    record.newFolderInode = folders.newInode;
    record.oldFolderStamp = folders.oldStamp;
    record.newFolderStamp = folders.newStamp;
    if (compact.stampLength != 0) {
        const char* block = names_.data() + compact.namePosition;
        record.itemStamp = UnpackedStamp(
            std::string_view(block + compact.oldLength + compact.newLength, compact.stampLength));
    } else {
        record.itemStamp = ItemStamp{};
    }
    record.offset = compact.offset;
    record.outcome = compact.outcome;
    record.undone = (compact.flags & kUndone) != 0;
    record.claimedOld = (compact.flags & kClaimedOld) != 0;
    record.claimedNew = (compact.flags & kClaimedNew) != 0;
    record.temporarySteps.clear();
    for (const Temporary& step : temporaries_) {
        if (step.record == index)
            record.temporarySteps.push_back({step.inNewFolder, DecodeName(step.name)});
    }
}

std::vector<UndoRecord> ParseLogForUndo(std::string_view bytes) {
    const UndoLog log = UndoLog::FromBytes(bytes);
    std::vector<UndoRecord> records;
    records.reserve(log.size());
    for (std::size_t i = 0; i < log.size(); ++i)
        records.push_back(log.At(i));
    return records;
}

std::vector<LogRecord> ParseLog(std::string_view bytes, std::vector<bool>* whole) {
    const UndoLog log = UndoLog::FromBytes(bytes);
    std::vector<LogRecord> records;
    records.reserve(log.size());
    for (std::size_t i = 0; i < log.size(); ++i) {
        UndoRecord record = log.At(i);
        records.push_back(std::move(record.names));
        if (whole)
            whole->push_back(record.whole);
    }
    return records;
}

}  // namespace brindle
