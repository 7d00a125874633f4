#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "batch/LogParser.h"
#include "batch/Messages.h"
#include "batch/RenameSession.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"

namespace brindle {

namespace {

std::int32_t LengthOf(const std::u16string& text) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::min(text.size(), kMax));
}

// Brindle logs absolute folders that end with '/'. Any other text (a log edited by hand)
// would reach into the working directory or glue a name onto a folder's name.
bool IsLoggedFolder(const std::u16string& folder) {
    return !folder.empty() && folder.front() == u'/' && folder.back() == u'/';
}

// Moves the item of one record back; false when it is missing or cannot be moved. A
// name that cannot be a name (a log edited by hand, say) never takes a path elsewhere.
bool MoveBack(const LogRecord& record) {
    if (!IsUsableName(record.oldName) || !IsUsableName(record.newName))
        return false;
    if (!IsLoggedFolder(record.oldDirectory) || !IsLoggedFolder(record.newDirectory))
        return false;
    const std::u16string from = record.newDirectory + record.newName;
    if (!PathExists(from))
        return false;
    return RenameNoReplace(from, record.oldDirectory + record.oldName) == 0;
}

}  // namespace

UndoOutcome RenameSession::OnUndo() {
    host_.SaveOptions(options_);
    // Our own writer's lock would keep the reader out.
    CloseLog();

    const std::u16string path = logPath();
    TextFileReader reader;
    if (!reader.Open(path, TextFileReader::Options{.exclusive = true, .ctrlZEndsFile = false})) {
        host_.ShowMessage(kTextErrorOpeningFile, u"", MessageIcon::Warning);
        host_.SetUndoEnabled(false);
        return UndoOutcome::LogNotOpened;
    }
    if (options_.deleteContents) {
        stats_.totalFiles = 0;
        stats_.changedFiles = 0;
        stats_.exceptions = 0;
        stats_.maxInputLength = 0;
        stats_.maxOutputLength = 0;
    }

    // Every record is read first, then undone newest first: an item renamed twice goes
    // back through both names, and a renamed folder gets its old name back before its
    // contents are looked for in it.
    std::vector<bool> whole;
    const std::vector<LogRecord> records = ParseLog(reader.Remaining(), &whole);
    bool errors = false;
    for (std::size_t index = records.size(); index-- > 0;) {
        const LogRecord& record = records[index];
        if (record.newName == record.oldName && record.newDirectory == record.oldDirectory) {
            continue;
        }
        stats_.maxInputLength = std::max(stats_.maxInputLength, LengthOf(record.oldName));
        stats_.maxOutputLength = std::max(stats_.maxOutputLength, LengthOf(record.newName));

        OutputRow row;
        row.input = record.newName;
        row.folder = record.oldDirectory;
        // A record whose chain broke borrows names from the record before it: moving on
        // them would send that record's item somewhere it never was.
        if (whole[index] && MoveBack(record)) {
            row.image = kImageExclamation;
            row.output = record.oldName;
        } else {
            stats_.exceptions = WrappingIncrement(stats_.exceptions);
            errors = true;
            row.image = kImageCross;
            row.output = record.oldName + kTextErrorOpeningFile;
        }
        host_.AddOutputRow(row);
        stats_.nextRow = WrappingIncrement(stats_.nextRow);
        stats_.totalFiles = WrappingIncrement(stats_.totalFiles);
    }
    reader.Close();

    const bool remove =
        errors ? host_.AskYesNo(kTextDeleteLogWarning, kCaptionErrors, MessageIcon::Warning)
               : host_.AskYesNo(kTextDeleteLogQuestion, kApplicationName, MessageIcon::Question);
    if (remove) {
        const int error = DeleteFilePath(path);
        if (error != 0) {
            const bool diskFull = IsDiskFullError(error);
            host_.ShowMessage(FileErrorText(error, diskFull ? LogFullPath() : options_.logFileName),
                              u"", MessageIcon::Stop);
            return diskFull ? UndoOutcome::DiskFull : UndoOutcome::DeleteFailed;
        }
        host_.SetUndoEnabled(false);
    }
    host_.SetStatus(FormatStatus(stats_));
    return UndoOutcome::Completed;
}

}  // namespace brindle
