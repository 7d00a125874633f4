#include "batch/FolderScan.h"

#include <string>
#include <vector>

#include "batch/FileMover.h"
#include "batch/Messages.h"
#include "batch/RenameLog.h"
#include "batch/RenameSession.h"
#include "engine/NaturalOrder.h"
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
    folders_.Clear();
    ForgetItemFolders();
    logGuard_.Refresh(logPath());
    guardedOpens_ = log_->opens();
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
    folders_.Clear();
    ForgetItemFolders();
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

void RenameSession::ForgetItemFolders() {
    currentFolder.reset();
    parentFolder.reset();
    parentDirectory.clear();
}

void RenameSession::ScanFolder(const std::u16string& folder) {
    ScanTree(WithSeparator(folder));
}

void RenameSession::ScanTree(const std::u16string& base) {
    // Depth first, a subfolder at the point where its parent's listing meets it. The
    // descent keeps its own stack, so a tree of any depth cannot exhaust the call stack.
    // Each folder's entries are all collected before the first is processed: an item
    // renamed or moved into a folder is never met a second time. Every subfolder is
    // opened from its parent's descriptor and never through a link, so a folder swapped
    // for a link meanwhile cannot lead the batch anywhere else.
    struct Level {
        std::u16string base;
        std::shared_ptr<const OpenFolder> folder;
        std::vector<FolderEntry> entries;
        std::size_t next = 0;
    };
    std::vector<Level> levels;
    const std::u16string topParentDirectory = ParentFolder(base);
    const std::shared_ptr<const OpenFolder> topParent = folders_.Get(topParentDirectory);
    const std::shared_ptr<const OpenFolder> top = folders_.Get(base);
    std::vector<FolderEntry> topEntries = top->List();
    OrderFolderEntries(topEntries, options_.order);
    levels.push_back(Level{base, top, std::move(topEntries)});
    while (!levels.empty() && !stopped_) {
        Level& level = levels.back();
        if (level.next == level.entries.size()) {
            levels.pop_back();
            continue;
        }
        const FolderEntry& entry = level.entries[level.next++];
        if (entry.isFolder) {
            // A folder that cannot be opened as itself is passed over, as an unreadable
            // one is.
            auto child =
                std::make_shared<const OpenFolder>(OpenFolder::Child(*level.folder, entry.name));
            std::vector<FolderEntry> entries = child->List();
            OrderFolderEntries(entries, options_.order);
            std::u16string childBase = level.base + entry.name + kPathSeparator;
            levels.push_back(Level{std::move(childBase), std::move(child), std::move(entries)});
            continue;  // `level` is invalid now
        }
        currentDirectory = level.base;
        inputText = entry.name;
        currentFolder = level.folder;
        if (levels.size() >= 2) {
            const Level& parent = levels[levels.size() - 2];
            parentFolder = parent.folder;
            parentDirectory = parent.base;
        } else {
            parentFolder = topParent;
            parentDirectory = topParentDirectory;
        }
        ProcessFile(inputText);
    }
    ForgetItemFolders();
}

BatchOutcome RenameSession::RunFolderBatch(const std::u16string& chosenFolder) {
    // An empty answer is no folder; with a '/' appended it would be the root.
    if (chosenFolder.empty())
        return BatchOutcome::Completed;
    const std::u16string folder = WithSeparator(chosenFolder);
    BeginBatch();
    if (options_.scanSubfolders) {
        ScanTree(folder);
    } else {
        // The folder and its parent (the file mover's target) are opened once, now.
        const std::u16string parent = ParentFolder(folder);
        const std::shared_ptr<const OpenFolder> parentOpen = folders_.Get(parent);
        const std::shared_ptr<const OpenFolder> open = folders_.Get(folder);
        std::vector<FolderEntry> entries = open->List();
        OrderFolderEntries(entries, options_.order);
        for (const FolderEntry& entry : entries) {
            if (stopped_)
                break;
            if (entry.isFolder)
                continue;
            currentDirectory = folder;
            inputText = entry.name;
            currentFolder = open;
            parentFolder = parentOpen;
            parentDirectory = parent;
            ProcessFile(entry.name);
        }
        ForgetItemFolders();
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
    // Dropped items are renamed in the folders of their paths, opened (links followed)
    // when the first item of each is met.
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
