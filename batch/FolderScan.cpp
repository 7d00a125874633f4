#include "batch/FolderScan.h"

#include <string>
#include <vector>

#include "batch/Messages.h"
#include "batch/RenameLog.h"
#include "batch/RenameSession.h"
#include "engine/PathParts.h"
#include "platform/FileSystem.h"

namespace brindle {

bool IsFolder(std::u16string_view path) {
    return IsFolderPath(path);
}

namespace {

std::u16string WithSeparator(std::u16string folder) {
    if (folder.empty() || !IsPathSeparator(folder.back()))
        folder += kPathSeparator;
    return folder;
}

// A dropped folder may arrive as 'dir/'; its name is then the text before that '/'.
std::u16string WithoutFinalSeparators(std::u16string path) {
    while (path.size() > 1 && IsPathSeparator(path.back()))
        path.pop_back();
    return path;
}

}  // namespace

void RenameSession::BeginBatch() {
    stopped_ = false;
    logFailure_ = 0;
    // The batch goes on whatever the save reports: the host has told the user.
    host_.SaveOptions(options_);
    if (options_.deleteContents) {
        host_.RemoveAllRows();
        stats_ = BatchStats{};
    }
    if (options_.showLogWindow)
        host_.SetOutputTitle(kTitleWorking);
    if (options_.resetCounters) {
        options_.startIndex = 0;
        host_.LoadOptions(options_);
        letterCounter_ = u'a';
    }
}

void RenameSession::EndBatch() {
    const int closeError = CloseLog();
    if (closeError != 0 && IsDiskFullError(closeError)) {
        // The last records may not have reached the disk: the batch ends here, as a
        // stop during an item does.
        stopped_ = true;
        return;
    }
    ReportLogFailure();
    UpdateUndoButton();
    if (options_.showLogWindow)
        host_.SetOutputTitle(kTitleOutputLog);
}

void RenameSession::ScanFolder(const std::u16string& folder) {
    // Depth first, a subfolder at the point where its parent's listing meets it. The
    // descent keeps its own stack, so a tree of any depth cannot exhaust the call stack.
    // Each folder's entries are all collected before the first is processed: an item
    // renamed or moved into a folder is never met a second time.
    struct Level {
        std::u16string base;
        std::vector<FolderEntry> entries;
        std::size_t next = 0;
    };
    std::vector<Level> levels;
    const auto enter = [&levels](std::u16string base) {
        std::vector<FolderEntry> entries = ListFolder(base);
        levels.push_back(Level{std::move(base), std::move(entries)});
    };
    enter(WithSeparator(folder));
    while (!levels.empty() && !stopped_) {
        Level& level = levels.back();
        if (level.next == level.entries.size()) {
            levels.pop_back();
            continue;
        }
        const FolderEntry& entry = level.entries[level.next++];
        if (entry.isFolder) {
            enter(level.base + entry.name + kPathSeparator);  // invalidates `level`
        } else {
            currentDirectory = level.base;
            inputText = entry.name;
            ProcessFile(inputText);
        }
    }
}

BatchOutcome RenameSession::RunFolderBatch(const std::u16string& chosenFolder) {
    // An empty answer is no folder; with a '/' appended it would be the root.
    if (chosenFolder.empty())
        return BatchOutcome::Completed;
    const std::u16string folder = WithSeparator(chosenFolder);
    BeginBatch();
    if (options_.scanSubfolders) {
        ScanFolder(folder);
    } else {
        const std::vector<FolderEntry> entries = ListFolder(folder);
        for (const FolderEntry& entry : entries) {
            if (stopped_)
                break;
            if (entry.isFolder)
                continue;
            currentDirectory = folder;
            inputText = entry.name;
            ProcessFile(entry.name);
        }
    }
    if (stopped_)
        return BatchOutcome::DiskFull;
    EndBatch();
    if (stopped_)
        return BatchOutcome::DiskFull;
    host_.LoadOptions(options_);
    return BatchOutcome::Completed;
}

BatchOutcome RenameSession::RunDropBatch(const std::vector<std::u16string>& droppedPaths) {
    std::vector<std::u16string> paths;
    for (const std::u16string& path : droppedPaths) {
        if (!path.empty())
            paths.push_back(WithoutFinalSeparators(path));
    }
    if (paths.empty())
        return BatchOutcome::Completed;

    BeginBatch();
    for (const std::u16string& path : paths) {
        if (stopped_)
            return BatchOutcome::DiskFull;
        if (IsFolder(path)) {
            if (options_.scanSubfolders)
                ScanFolder(path);
        } else {
            currentDirectory = DirectoryPart(path);
            inputText = NamePart(path);
            ProcessFile(inputText);
        }
    }
    // The dropped folders themselves come last, after everything inside them.
    if (options_.renameDirs) {
        for (const std::u16string& path : paths) {
            if (stopped_)
                return BatchOutcome::DiskFull;
            if (!IsFolder(path))
                continue;
            inputText = path;
            currentDirectory = DirectoryPart(path);
            ProcessFile(NamePart(path));
        }
    }
    if (stopped_)
        return BatchOutcome::DiskFull;
    EndBatch();
    return stopped_ ? BatchOutcome::DiskFull : BatchOutcome::Completed;
}

}  // namespace brindle
