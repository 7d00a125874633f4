#include "batch/RenameLog.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "batch/LogParser.h"
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
    return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

namespace {

// The log ends with a complete line. When it cannot be read, it is taken to.
bool EndsWithLineEnd(std::u16string_view path) {
    std::string tail;
    if (!ReadFileTail(path, 1, tail) || tail.empty())
        return true;
    return tail.back() == '\n';
}

// Takes back a record that was written only in part (the disk or the size limit filled
// up half-way), so that no torn record is left for the next one to run into.
void RestoreSize(std::u16string_view path, std::int64_t size) {
    std::error_code ignored;
    std::filesystem::resize_file(std::filesystem::path(EncodeName(path)),
                                 static_cast<std::uintmax_t>(size), ignored);
}

}  // namespace

int RenameLog::OpenLog(std::u16string_view path) {
    std::int64_t size = -1;
    return OpenLogAndMeasure(path, size);
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
    const int error = file_.OpenForAppend(path);
    if (error != 0)
        return error;
    path_ = std::u16string(path);
    size = file_.Size();
    return 0;
}

LogWriteResult RenameLog::Fail(int error) {
    lastError_ = error;
    sizeAfterLastRecord_ = -1;
    return IsDiskFullError(error) ? LogWriteResult::DiskFull : LogWriteResult::Failed;
}

LogWriteResult RenameLog::AppendRenameRecord(std::u16string_view path, const RenameRecord& record) {
    std::int64_t size = -1;
    const int openError = OpenLogAndMeasure(path, size);
    if (openError != 0)
        return Fail(openError);
    if (size < 0)
        return Fail(EIO);

    const bool asWeLeftIt = size == sizeAfterLastRecord_;
    std::string& bytes = bytes_;
    bytes.clear();
    if (!asWeLeftIt && size > 0 && !EndsWithLineEnd(path)) {
        // Someone's torn last line: end it, and give a chain it left open a line to
        // consume, so that this record's own lines are read as they stand.
        bytes += kLogLineEnd;
        bytes += kLogSeparator;
        bytes += kLogLineEnd;
    }
    if (size == 0)
        WriteLogLine(bytes, kLogVersionLine, u"");
    if (!asWeLeftIt || record.currentDirectory != lastOldDirectory_ ||
        record.newDirectory != lastNewDirectory_) {
        WriteLogLine(bytes, kLogKeyOldDirectory, record.currentDirectory);
        WriteLogLine(bytes, kLogKeyNewDirectory, record.newDirectory);
    }
    WriteLogLine(bytes, kLogKeyOldFile, record.oldName);
    WriteLogLine(bytes, kLogKeyNewFile, record.newName);
    if (record.countSymbols) {
        WriteLogLine(bytes, kLogKeyFileLength, FromAscii(std::to_string(record.symbolCount)));
    }
    WriteLogLine(bytes, kLogSeparator, u"");

    const int writeError = file_.Write(bytes);
    if (writeError != 0) {
        if (file_.Size() > size)
            RestoreSize(path_, size);
        return Fail(writeError);
    }
    sizeAfterLastRecord_ = size + static_cast<std::int64_t>(bytes.size());
    lastOldDirectory_.assign(record.currentDirectory);
    lastNewDirectory_.assign(record.newDirectory);
    return LogWriteResult::Written;
}

int RenameLog::Close() {
    if (!file_.IsOpen())
        return 0;
    return file_.Close();
}

}  // namespace brindle
