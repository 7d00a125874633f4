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
#include "platform/FolderRename.h"
#include "platform/OpenFolder.h"

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

bool RenameSession::WriteRecord(const std::u16string& name, const EntryStatus* item,
                                const OpenFolder* from, const OpenFolder* to) {
    // A line break would split its line: the record could not be read back, and a name
    // could forge records of its own.
    if (HoldsLineBreak(name) || HoldsLineBreak(workingName) || HoldsLineBreak(currentDirectory) ||
        HoldsLineBreak(newDirectory)) {
        return false;
    }
    const RenameRecord record{
        .currentDirectory = currentDirectory,
        .newDirectory = newDirectory,
        .oldName = name,
        .newName = workingName,
        .countSymbols = options_.countSymbols,
        .symbolCount = symbolCount,
        .itemInode = item ? item->identity.inode : 0,
        .itemLinks = item ? item->links : 0,
        .oldFolderInode = from && from->isOpen() ? from->identity().inode : 0,
        .newFolderInode = to && to->isOpen() ? to->identity().inode : 0,
    };
    const LogWriteResult result = log_->AppendRenameRecord(logPath(), record);
    if (result == LogWriteResult::DiskFull)
        stopError_ = log_->lastError();
    else if (result == LogWriteResult::Failed && logFailure_ == 0)
        logFailure_ = log_->lastError();
    if (result != LogWriteResult::Written)
        return false;
    // The batch may just have made the log, or made it anew.
    if (!logGuard_.active() || log_->opens() != guardedOpens_) {
        logGuard_.Refresh(logPath());
        guardedOpens_ = log_->opens();
    }
    return true;
}

bool RenameSession::RenameItem(const std::u16string& name, const OpenFolder& from,
                               const OpenFolder& to) {
    const bool logged = options_.writeLogFile;
    const bool renamed =
        IsUsableName(workingName) &&
        RenameNoReplace(from, name, to, workingName, logged ? logSteps_.get() : nullptr) == 0;
    if (logged)
        log_->NoteOutcome(renamed);
    return renamed;
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

    // Where the item is renamed between: the folders the scan opened, or those of its
    // paths. Only looked up when something is to move.
    std::shared_ptr<const OpenFolder> from;
    std::shared_ptr<const OpenFolder> to;
    EntryStatus item;
    bool itemKnown = false;
    const bool renaming = changed && !options_.onlyLog;
    if (renaming) {
        from = currentFolder ? currentFolder : folders_.Get(currentDirectory);
        if (newDirectory == currentDirectory)
            to = from;
        else if (parentFolder && newDirectory == parentDirectory)
            to = parentFolder;
        else
            to = folders_.Get(newDirectory);
        if (options_.writeLogFile || options_.skipReadOnly || logGuard_.active())
            itemKnown = from->Stat(name, item) == 0;
    }
    // The log is the only way back for the renames it holds: a batch must not rename it,
    // or a folder above it, away from where Undo looks for it, whatever path leads there.
    const bool isTheLog = itemKnown && logGuard_.Guards(item.identity);

    // The record goes to the log before anything moves, so that no item is ever renamed
    // without the record that can bring it back.
    stopError_ = 0;
    const bool recorded =
        !isTheLog && (!options_.writeLogFile ||
                      WriteRecord(name, itemKnown ? &item : nullptr, from.get(), to.get()));
    if (!recorded) {
        stats_.exceptions = WrappingIncrement(stats_.exceptions);
        row.output = kTextRenameFailed;
    } else if (renaming) {
        if (options_.skipReadOnly && itemKnown && item.readOnly) {
            stats_.exceptions = WrappingIncrement(stats_.exceptions);
            row.output = newName + kTextReadOnly;
            if (options_.writeLogFile)
                log_->NoteOutcome(false);
        } else if (!RenameItem(name, *from, *to)) {
            stats_.exceptions = WrappingIncrement(stats_.exceptions);
            row.output = kTextRenameFailed;
        }
    } else if (changed && options_.writeLogFile) {
        log_->NoteOutcome(false);  // "Only Log": never renamed
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
