#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ExclusiveFile.h"

namespace brindle {

// Appends `text`, encoded with the name codec, and the log's line end (CR LF) to
// `record`. Records are built whole and written at once.
void WriteLogLine(std::string& record, std::u16string_view text);
void WriteLogLine(std::string& record, std::string_view key, std::u16string_view value);

// True when the text holds CR or LF: the line-based log cannot hold such a value, and it
// could forge records.
bool HoldsLineBreak(std::u16string_view text);

// What one rename record says.
struct RenameRecord {
    std::u16string_view currentDirectory;
    std::u16string_view newDirectory;
    std::u16string_view oldName;
    std::u16string_view newName;
    bool countSymbols = false;
    std::int32_t symbolCount = 0;
};

enum class LogWriteResult {
    Written,
    Failed,    // the log could not be opened, locked or written
    DiskFull,  // ENOSPC, EDQUOT or EFBIG: the batch stops
};

// The log writer. The file stays open and locked from the first record of a batch until
// Close(), so that a batch costs one open, not one per item.
class RenameLog {
public:
    // Opens `path` for appending: created when missing, never truncated, exclusively.
    // An open file of the same path is kept unless it was removed meanwhile. 0 or errno.
    int OpenLog(std::u16string_view path);

    // Writes the item's whole record in one write, the file's header first when the file
    // is empty, and a directory pair when one is due: when the old or the new directory
    // differs from the last pair written, or when the file is not as the last record
    // left it (new, emptied, grown by another writer). A failed write leaves the file as
    // it was before the record.
    LogWriteResult AppendRenameRecord(std::u16string_view path, const RenameRecord& record);

    // 0 or the errno of a failing close. Closing a closed log does nothing.
    int Close();
    bool IsOpen() const { return file_.IsOpen(); }

    // The errno of the last failure of OpenLog or AppendRenameRecord.
    int lastError() const { return lastError_; }
    // The new directory of the last record written.
    const std::u16string& lastLoggedDirectory() const { return lastNewDirectory_; }

private:
    LogWriteResult Fail(int error);
    // OpenLog that also gives the file's size (-1 when unknown), from the same fstat
    // that tells whether the open file was removed.
    int OpenLogAndMeasure(std::u16string_view path, std::int64_t& size);

    ExclusiveFile file_;
    std::u16string path_;
    std::u16string lastOldDirectory_;
    std::u16string lastNewDirectory_;
    // The record being built, kept to reuse its capacity.
    std::string bytes_;
    // Size of the file right after our last record; -1 before the first one or after a
    // failure, so that the next record carries its directory pair.
    std::int64_t sizeAfterLastRecord_ = -1;
    int lastError_ = 0;
};

}  // namespace brindle
