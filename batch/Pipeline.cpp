#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

#include "batch/FileMover.h"
#include "batch/Messages.h"
#include "batch/RenameLog.h"
#include "batch/RenameSession.h"
#include "engine/CaseConversion.h"
#include "engine/Extension.h"
#include "engine/Filters.h"
#include "engine/PathParts.h"
#include "engine/PatternCreator.h"
#include "engine/TextOps.h"
#include "platform/FileSystem.h"

namespace brindle {

namespace {

std::int32_t LengthOf(const std::u16string& text) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::min(text.size(), kMax));
}

void RaiseTo(std::int32_t& maximum, std::int32_t value) {
    maximum = std::max(maximum, value);
}

}  // namespace

void RenameSession::OnlyEnglishTableFailed() {
    host_.SaveOptions(options_);
    host_.ShowMessage(std::u16string(kTextErrorOpeningFile) + u": " + options_.iniFileName, u"",
                      MessageIcon::Warning);
    options_.onlyEnglish = false;
    host_.LoadOptions(options_);
    host_.OnlyEnglishTableFailed();
}

bool RenameSession::WriteRecord(const std::u16string& name) {
    // A line break would split its line: the record could not be read back, and a name
    // could forge records of its own.
    if (HoldsLineBreak(name) || HoldsLineBreak(workingName) || HoldsLineBreak(currentDirectory) ||
        HoldsLineBreak(newDirectory)) {
        return false;
    }
    const RenameRecord record{.currentDirectory = currentDirectory,
                              .newDirectory = newDirectory,
                              .oldName = name,
                              .newName = workingName,
                              .countSymbols = options_.countSymbols,
                              .symbolCount = symbolCount};
    const LogWriteResult result = log_->AppendRenameRecord(logPath(), record);
    if (result == LogWriteResult::DiskFull)
        stopError_ = log_->lastError();
    else if (result == LogWriteResult::Failed && logFailure_ == 0)
        logFailure_ = log_->lastError();
    return result == LogWriteResult::Written;
}

std::u16string RenameSession::ProcessFile(const std::u16string& name) {
    workingName = name;
    newDirectory = currentDirectory;
    stats_.totalFiles = WrappingIncrement(stats_.totalFiles);

    host_.SaveOptions(options_);
    if (options_.duplicateExtension)
        workingName = RemoveDuplicateExtension(workingName);
    // Whether the extension was set aside decides whether it comes back, whatever the
    // option says by then.
    const bool extensionSetAside = options_.withoutExtension;
    if (extensionSetAside) {
        savedExtension = ExtensionOf(workingName);
        workingName = RemoveExtension(workingName);
    }
    if (options_.countSymbols)
        symbolCount = LengthOf(workingName);
    if (options_.onlyEnglish) {
        FilterResult filtered =
            ApplyFilterMethod(workingName, options_.iniFileName, options_.filterMethod);
        if (filtered.tableOpened) {
            workingName = std::move(filtered.name);
        } else {
            OnlyEnglishTableFailed();
        }
    }
    workingName = ApplyConversion(options_.conversionMode, workingName);

    // Saved again: an "Only English" switched off above is off from here on.
    host_.SaveOptions(options_);
    if (options_.replaceWhat != options_.replaceWith && !options_.onlyEnglish) {
        workingName = ReplaceAll(workingName, options_.replaceWhat, options_.replaceWith);
    }
    if (!options_.namePattern.empty()) {
        const std::u16string itemPath = currentDirectory + name;
        PatternContext context{.startIndex = options_.startIndex,
                               .letterCounter = letterCounter_,
                               .withoutExtension = options_.withoutExtension,
                               .currentDirectory = currentDirectory,
                               .itemPath = itemPath};
        workingName = CreatePatternName(options_.namePattern, workingName, context);
    }
    if (options_.force63) {
        workingName = ForceLength(workingName, options_.force63Length, options_.withoutExtension);
    }
    if (extensionSetAside)
        workingName += savedExtension;
    const std::u16string& newName = workingName;

    host_.LoadOptions(options_);
    newDirectory = ApplyFileMover(options_.fileTypes, currentDirectory, newName);

    RaiseTo(stats_.maxInputLength, LengthOf(name));
    RaiseTo(stats_.maxOutputLength, LengthOf(newName));

    // One row reused from item to item: assigning keeps the strings' capacity.
    OutputRow& row = row_;
    row.image = kImageExclamation;
    row.input = inputText;
    row.output = newName;
    {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, symbolCount).ptr;
        row.count.clear();
        for (const char* c = digits; c != end; ++c)
            row.count.push_back(static_cast<char16_t>(*c));
    }
    row.folder = newDirectory;

    const bool changed = newName != name || newDirectory != currentDirectory;
    if (changed)
        stats_.changedFiles = WrappingIncrement(stats_.changedFiles);

    // The log is the only way back for the renames it holds: a batch over its folder
    // must not rename it away from where Undo looks for it.
    // The folder may be reached through a link, so the file itself decides; the name test
    // keeps that look-up off every other item.
    const bool isTheLog = changed && !options_.onlyLog && NamePart(logPath()) == name &&
                          (currentDirectory + name == LogFullPath() ||
                           IsSameFile(currentDirectory + name, LogFullPath()));

    // The record goes to the log before anything moves, so that no item is ever renamed
    // without the record that can bring it back.
    stopError_ = 0;
    const bool recorded = !isTheLog && (!options_.writeLogFile || WriteRecord(name));
    if (!recorded) {
        stats_.exceptions = WrappingIncrement(stats_.exceptions);
        row.output = kTextRenameFailed;
    } else if (changed && !options_.onlyLog) {
        const std::u16string oldPath = currentDirectory + name;
        if (options_.skipReadOnly && IsReadOnlyPath(oldPath).value_or(false)) {
            stats_.exceptions = WrappingIncrement(stats_.exceptions);
            row.output = newName + kTextReadOnly;
        } else if (!IsUsableName(newName) ||
                   RenameNoReplace(oldPath, newDirectory + newName) != 0) {
            stats_.exceptions = WrappingIncrement(stats_.exceptions);
            row.output = kTextRenameFailed;
        }
    }

    host_.AddOutputRow(row);
    stats_.nextRow = WrappingIncrement(stats_.nextRow);
    FormatStatus(stats_, status_);
    host_.SetStatus(status_);

    if (stopError_ != 0)
        StopForDiskFull(stopError_);
    return {};
}

}  // namespace brindle
