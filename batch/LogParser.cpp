#include "batch/LogParser.h"

#include <optional>
#include <unordered_map>

#include "platform/NameCodec.h"

namespace brindle {

namespace {

struct Line {
    std::string_view text;  // without its line end
    std::uint64_t offset = 0;
};

// The complete lines of the log; a last line without LF is left out.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool Next(Line& line) {
        if (start_ >= bytes_.size())
            return false;
        const std::size_t end = bytes_.find('\n', start_);
        if (end == std::string_view::npos)
            return false;
        std::string_view text = bytes_.substr(start_, end - start_);
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        line = {text, start_};
        start_ = end + 1;
        return true;
    }

private:
    std::string_view bytes_;
    std::size_t start_ = 0;
};

bool Carries(std::string_view line, std::string_view key) {
    return line.starts_with(key);
}

std::u16string ValueOf(std::string_view line, std::string_view key) {
    return DecodeName(line.substr(key.size()));
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
};

std::optional<Identity> ParseIdentity(std::string_view text) {
    Identity inodes;
    for (std::uint64_t* value :
         {&inodes.item, &inodes.links, &inodes.oldFolder, &inodes.newFolder}) {
        const std::string_view field = TakeField(text);
        if (field == "-")
            *value = 0;
        else if (!ParseNumber(field, *value))
            return std::nullopt;
    }
    if (!text.empty())
        return std::nullopt;
    return inodes;
}

class Parser {
public:
    std::vector<UndoRecord> Parse(std::string_view bytes) {
        Reader reader(bytes);
        Line line;
        while (reader.Next(line)) {
            if (Carries(line.text, kLogKeyOldDirectory)) {
                if (!ReadChain(reader, line))
                    break;
            } else if (Carries(line.text, kLogKeyOldFile)) {
                if (current_.oldDirectory.empty()) {
                    inodes_.reset();
                    continue;
                }
                const std::uint64_t offset = line.offset;
                current_.oldName = ValueOf(line.text, kLogKeyOldFile);
                // A chain the file ends amid is a record torn by a crash: never undone.
                if (!reader.Next(line))
                    break;
                const bool complete = Carries(line.text, kLogKeyNewFile);
                if (complete)
                    current_.newName = ValueOf(line.text, kLogKeyNewFile);
                Add(complete, offset);
            } else {
                ReadOtherLine(line.text);
            }
        }
        return std::move(records_);
    }

private:
    // A chain that starts with "Old Directory="; false when the file ends amid it.
    bool ReadChain(Reader& reader, Line& line) {
        bool complete = false;
        std::uint64_t offset = line.offset;
        current_.oldDirectory = ValueOf(line.text, kLogKeyOldDirectory);
        if (!reader.Next(line))
            return false;
        if (Carries(line.text, kLogKeyNewDirectory)) {
            current_.newDirectory = ValueOf(line.text, kLogKeyNewDirectory);
            if (!reader.Next(line))
                return false;
            if (Carries(line.text, kLogKeyOldFile)) {
                offset = line.offset;
                current_.oldName = ValueOf(line.text, kLogKeyOldFile);
                if (!reader.Next(line))
                    return false;
                if (Carries(line.text, kLogKeyNewFile)) {
                    current_.newName = ValueOf(line.text, kLogKeyNewFile);
                    complete = true;
                }
            }
        }
        Add(complete, offset);
        return true;
    }

    void Add(bool complete, std::uint64_t offset) {
        UndoRecord record;
        record.names = current_;
        record.whole = complete;
        record.offset = offset;
        if (inodes_) {
            record.marked = true;
            record.itemInode = inodes_->item;
            record.itemLinks = inodes_->links;
            record.oldFolderInode = inodes_->oldFolder;
            record.newFolderInode = inodes_->newFolder;
            inodes_.reset();
        }
        byOffset_[offset] = records_.size();
        records_.push_back(std::move(record));
    }

    // The record whose "Old File=" line stands at the offset a mark names.
    UndoRecord* Named(std::string_view offsetText) {
        std::uint64_t offset = 0;
        if (!ParseNumber(offsetText, offset))
            return nullptr;
        const auto found = byOffset_.find(offset);
        return found == byOffset_.end() ? nullptr : &records_[found->second];
    }

    void ReadOtherLine(std::string_view text) {
        // An "Identity=" line belongs to the record that starts on the very next line.
        if (Carries(text, kLogKeyIdentity)) {
            inodes_ = ParseIdentity(text.substr(kLogKeyIdentity.size()));
            return;
        }
        inodes_.reset();
        if (Carries(text, kLogKeyRenamed) || Carries(text, kLogKeyFailed)) {
            const bool renamed = Carries(text, kLogKeyRenamed);
            const std::size_t keySize = renamed ? kLogKeyRenamed.size() : kLogKeyFailed.size();
            if (UndoRecord* record = Named(text.substr(keySize)))
                record->outcome = renamed ? RecordOutcome::Renamed : RecordOutcome::Failed;
        } else if (Carries(text, kLogKeyUndone)) {
            if (UndoRecord* record = Named(text.substr(kLogKeyUndone.size())))
                record->undone = true;
        } else if (Carries(text, kLogKeyTemporary)) {
            std::string_view rest = text.substr(kLogKeyTemporary.size());
            UndoRecord* record = Named(TakeField(rest));
            const std::string_view side = TakeField(rest);
            if (record && !rest.empty() &&
                (side == kLogTemporaryInOld || side == kLogTemporaryInNew)) {
                record->temporarySteps.push_back({side == kLogTemporaryInNew, DecodeName(rest)});
            }
        } else if (Carries(text, kLogKeyClaimed) || Carries(text, kLogKeyUnclaimed)) {
            const bool claimed = Carries(text, kLogKeyClaimed);
            std::string_view rest =
                text.substr(claimed ? kLogKeyClaimed.size() : kLogKeyUnclaimed.size());
            UndoRecord* record = Named(TakeField(rest));
            if (record && rest == kLogTemporaryInNew)
                record->claimedNew = claimed;
            else if (record && rest == kLogTemporaryInOld)
                record->claimedOld = claimed;
        }
    }

    std::vector<UndoRecord> records_;
    std::unordered_map<std::uint64_t, std::size_t> byOffset_;
    LogRecord current_;
    std::optional<Identity> inodes_;
};

}  // namespace

std::vector<UndoRecord> ParseLogForUndo(std::string_view bytes) {
    return Parser().Parse(bytes);
}

std::vector<LogRecord> ParseLog(std::string_view bytes, std::vector<bool>* whole) {
    std::vector<UndoRecord> parsed = ParseLogForUndo(bytes);
    std::vector<LogRecord> records;
    records.reserve(parsed.size());
    for (UndoRecord& record : parsed) {
        records.push_back(std::move(record.names));
        if (whole)
            whole->push_back(record.whole);
    }
    return records;
}

}  // namespace brindle
