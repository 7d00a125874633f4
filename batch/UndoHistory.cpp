#include "batch/UndoHistory.h"

#include <cerrno>
#include <cstdio>

#include "batch/RenameLog.h"
#include "engine/IntegerText.h"
#include "platform/ExclusiveFile.h"
#include "platform/NameCodec.h"

namespace brindle {

namespace {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and back.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

void CivilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shifted = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    month = shifted < 10 ? shifted + 3 : shifted - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

// The digits of `text` from `at`, exactly `count` of them.
bool Digits(std::string_view text, std::size_t at, std::size_t count, unsigned& value) {
    if (at + count > text.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return true;
}

std::u16string Items(std::size_t count) {
    return DecimalText(count) + (count == 1 ? u" item" : u" items");
}

}  // namespace

std::string BatchKeyOf(const WallTime& start) {
    const std::int64_t days =
        start.seconds >= 0 ? start.seconds / 86400 : (start.seconds - 86399) / 86400;
    const std::int64_t rest = start.seconds - days * 86400;
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    CivilFromDays(days, year, month, day);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lld.%09uZ",
                  static_cast<long long>(year), month, day, static_cast<long long>(rest / 3600),
                  static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60),
                  static_cast<unsigned>(start.nanoseconds));
    return text;
}

std::optional<WallTime> BatchStartOf(std::string_view key) {
    // "YYYY-MM-DDTHH:MM:SS.NNNNNNNNNZ"
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, nanoseconds = 0;
    if (key.size() != 30 || key[4] != '-' || key[7] != '-' || key[10] != 'T' || key[13] != ':' ||
        key[16] != ':' || key[19] != '.' || key[29] != 'Z' || !Digits(key, 0, 4, year) ||
        !Digits(key, 5, 2, month) || !Digits(key, 8, 2, day) || !Digits(key, 11, 2, hour) ||
        !Digits(key, 14, 2, minute) || !Digits(key, 17, 2, second) ||
        !Digits(key, 20, 9, nanoseconds)) {
        return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    const std::int64_t days = DaysFromCivil(year, month, day);
    return WallTime{days * 86400 + hour * 3600 + minute * 60 + second, nanoseconds};
}

std::vector<LoggedBatch> ListBatches(const UndoLog& log) {
    std::vector<LoggedBatch> batches;
    const auto& spans = log.batches();
    for (std::size_t i = 0; i < spans.size(); ++i) {
        LoggedBatch batch;
        batch.key = DecodeName(spans[i].key);
        batch.start = BatchStartOf(spans[i].key);
        batch.firstRecord = spans[i].firstRecord;
        batch.endRecord = i + 1 < spans.size() ? spans[i + 1].firstRecord : log.size();
        batch.firstFolder = log.OldDirectoryOf(batch.firstRecord);
        for (std::size_t record = batch.firstRecord; record < batch.endRecord; ++record) {
            switch (log.StateOf(record)) {
                case RecordState::Unchanged:
                    break;
                case RecordState::ToUndo:
                    ++batch.renamed;
                    break;
                case RecordState::Undone:
                    ++batch.renamed;
                    ++batch.undone;
                    break;
                case RecordState::NeverRenamed:
                    ++batch.neverRenamed;
                    break;
            }
        }
        batches.push_back(std::move(batch));
    }
    return batches;
}

int ReadBatchHistory(std::u16string_view path, std::vector<LoggedBatch>& batches,
                     TrustCheck& refusal) {
    batches.clear();
    ExclusiveFile file;
    if (const int error = OpenTrustedLog(file, path, true, refusal); error != 0)
        return error;
    std::int64_t offset = 0;
    UndoLog log;
    const std::int64_t logSize = file.Size();
    const bool read = log.Read(
        [&](char* buffer, std::size_t size) -> long {
            const long got = file.ReadAt(offset, buffer, size);
            offset += got > 0 ? got : 0;
            return got;
        },
        logSize > 0 ? static_cast<std::uint64_t>(logSize) : 0);
    file.Close();
    if (!read)
        return EIO;
    batches = ListBatches(log);
    return 0;
}

const LoggedBatch* NewestToUndo(const std::vector<LoggedBatch>& batches) {
    for (auto batch = batches.rbegin(); batch != batches.rend(); ++batch) {
        if (batch->leftToUndo() > 0)
            return &*batch;
    }
    return nullptr;
}

std::u16string BatchWhenText(const LoggedBatch& batch) {
    if (!batch.start)
        return u"before batches were dated";
    return LocalTimeText(batch.start->seconds);
}

std::u16string DescribeBatch(const LoggedBatch& batch) {
    std::u16string text;
    if (batch.renamed == 0)
        text = u"nothing renamed";
    else if (batch.undone == 0)
        text = Items(batch.renamed) + u" renamed";
    else
        text = DecimalText(batch.leftToUndo()) + u" of " + Items(batch.renamed) + u" renamed";
    return text + u" in " + batch.firstFolder + u", " + BatchWhenText(batch);
}

std::u16string BatchStateText(const LoggedBatch& batch) {
    if (batch.renamed == 0)
        return u"nothing renamed";
    std::u16string text = DecimalText(batch.renamed) + u" renamed";
    if (batch.undone == batch.renamed)
        return text + u", all undone";
    if (batch.undone > 0)
        text += u", " + DecimalText(batch.undone) + u" undone";
    return text;
}

}  // namespace brindle
