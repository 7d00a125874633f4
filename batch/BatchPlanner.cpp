#include "batch/BatchPlanner.h"

#include <algorithm>
#include <cstring>

#include "batch/FileMover.h"
#include "batch/PlanCheck.h"
#include "engine/NaturalOrder.h"
#include "engine/PathParts.h"
#include "engine/TextOps.h"
#include "platform/FileSystem.h"
#include "platform/NameCodec.h"

namespace brindle {

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

std::string IdentityKey(const FileIdentity& identity) {
    std::string key(sizeof identity.device + sizeof identity.inode, '\0');
    std::memcpy(key.data(), &identity.device, sizeof identity.device);
    std::memcpy(key.data() + sizeof identity.device, &identity.inode, sizeof identity.inode);
    return key;
}

}  // namespace

BatchSource BatchSource::Folder(std::u16string folder) {
    BatchSource source;
    source.folder = std::move(folder);
    return source;
}

BatchSource BatchSource::Drop(std::vector<std::u16string> paths) {
    BatchSource source;
    source.isDrop = true;
    source.paths = std::move(paths);
    return source;
}

bool BatchSource::empty() const {
    if (!isDrop)
        return folder.empty();
    for (const std::u16string& path : paths) {
        if (!path.empty())
            return false;
    }
    return true;
}

bool IsFolder(std::u16string_view path) {
    return IsFolderPath(path);
}

NameCounters StartingCounters(const RenameSettings& options, NameCounters counters) {
    if (options.resetCounters) {
        counters.startIndex = 0;
        counters.letter = u'a';
    }
    return counters;
}

struct BatchPlanner::Level {
    std::u16string base;
    std::uint32_t index = 0;
    std::shared_ptr<const OpenFolder> folder;
    std::vector<FolderEntry> entries;
    std::size_t next = 0;
    // The folder could not be listed whole: it is met as an item of its own first.
    bool unreadable = false;
    // The entries up to here are asked of the read-ahead.
    std::size_t asked = 0;
};

BatchPlanner::BatchPlanner(const BatchSource& source, const RenameSettings& settings,
                           std::u16string configFile, const NameCounters& counters, Plan& plan,
                           Mode mode)
    : source_(source),
      settings_(settings),
      configFile_(std::move(configFile)),
      counters_(counters),
      plan_(plan),
      mode_(mode) {
    plan_.configFile = configFile_;
    plan_.startTime = WallClockNow();
    ParsedPattern parsed = ParseNamePattern(settings_.namePattern);
    if (parsed.error) {
        // A batch whose pattern has a mistake names nothing: it has no items.
        plan_.patternError = std::move(parsed.error);
        phase_ = Phase::Done;
        return;
    }
    pattern_ = std::move(parsed.pattern);
    if (settings_.regularExpression && !settings_.replaceWhat.empty()) {
        RegexError error;
        regex_ = RegexReplacer::Compile(settings_.replaceWhat, settings_.replaceWith, &error);
        if (!regex_->valid()) {
            regexError_ = std::move(error);
            if (!settings_.onlyEnglish) {
                RefuseRegex();
                return;
            }
        }
    }
    plan_.patternWithoutCounter = !settings_.namePattern.empty() && !pattern_.HasCounter();
    if (source_.isDrop) {
        for (const std::u16string& path : source_.paths) {
            if (!path.empty())
                paths_.push_back(WithoutFinalSeparators(path));
        }
        // With one path nothing can be met twice.
        dedupe_ = paths_.size() > 1;
    }
}

BatchPlanner::~BatchPlanner() = default;

std::uint32_t BatchPlanner::FolderIndex(const std::u16string& path) {
    const auto [at, added] =
        folderIndex_.try_emplace(path, static_cast<std::uint32_t>(plan_.folders.size()));
    if (added) {
        plan_.folders.emplace_back();
        plan_.folders.back().path = path;
    }
    return at->second;
}

std::vector<FolderEntry> BatchPlanner::Listed(const OpenFolder& folder, std::uint32_t index) {
    int error = 0;
    std::vector<FolderEntry> entries = folder.List(&error);
    // What was read before a failure is still planned; the rest is not guessed at.
    plan_.folders[index].listError = error;
    OrderFolderEntries(entries, settings_.order);
    if (mode_ == Mode::Preview) {
        PlanFolder& planned = plan_.folders[index];
        planned.listed = true;
        planned.ignoresCase = FolderIgnoresCase(folder, entries);
        planned.caseKnown = true;
    }
    return entries;
}

void BatchPlanner::AskAhead(Level& level) {
    // Enough to keep the read-ahead's threads busy while the naming catches up, few
    // enough that a Preview cancelled at once has read little in vain.
    constexpr std::size_t kAhead = 48;
    if (!level.folder->isOpen())
        return;
    level.asked = std::max(level.asked, level.next);
    const std::size_t end = std::min(level.entries.size(), level.next + kAhead);
    for (; level.asked < end; ++level.asked) {
        const FolderEntry& entry = level.entries[level.asked];
        if (!entry.isFolder)
            readAhead_->Ask(level.folder, EncodeName(entry.name));
    }
}

std::string BatchPlanner::MetKey(const OpenFolder& folder, std::u16string_view name) const {
    // A folder that could not be opened holds nothing that could be renamed twice.
    std::string key = folder.isOpen() ? IdentityKey(folder.identity()) : std::string("?");
    key += EncodeName(name);
    return key;
}

bool BatchPlanner::StartScan(const std::u16string& base, bool recursive) {
    recursive_ = recursive;
    // The folder and its parent (the file mover's target) are opened once, now.
    topParentDirectory_ = ParentFolder(base);
    topParent_ = folders_.Get(topParentDirectory_);
    std::shared_ptr<const OpenFolder> top = folders_.Get(base);
    if (top->isOpen() && !walked_.insert(IdentityKey(top->identity())).second)
        return false;
    const std::uint32_t index = FolderIndex(base);
    std::vector<FolderEntry> entries = Listed(*top, index);
    levels_.push_back(Level{base, index, std::move(top), std::move(entries), 0,
                            plan_.folders[index].listError != 0});
    return true;
}

void BatchPlanner::Name(std::u16string name, const std::u16string& directory, std::uint32_t folder,
                        PlanItem& item, bool droppedFolder) {
    if (!chain_) {
        // The table is read once for the whole batch, before its first item is named.
        if (settings_.onlyEnglish) {
            table_ =
                readReplacementTable(configFile_, settings_.filterMethod, mode_ == Mode::Apply);
            if (!table_) {
                plan_.tableFailed = true;
                settings_.onlyEnglish = false;
            }
        }
        if (regexError_ && !settings_.onlyEnglish) {
            // The table could not be read, so the regular expression would replace: with
            // its mistake the batch names nothing after all.
            RefuseRegex();
            item.folder = folder;
            item.newFolder = folder;
            return;
        }
        chain_.emplace(settings_, table_ ? &*table_ : nullptr, std::move(pattern_),
                       std::move(regex_));
        if (chain_->needs().any())
            readAhead_ = std::make_unique<HeldFactsReadAhead>(chain_->needs());
    }
    if (!metAnItem_) {
        // The file mover lowers the option once an item is met, as it keeps it then.
        settings_.fileTypes = AsciiLowered(settings_.fileTypes);
    }
    metAnItem_ = true;
    const bool fromOpen = from_ && from_->isOpen();
    ItemFacts facts(directory, name, fromOpen ? from_->fd() : -1, plan_.startTime);
    facts.setNeeds(&chain_->needs());
    if (readAhead_ && fromOpen) {
        if (auto held = readAhead_->Take(*from_, EncodeName(name)))
            facts.setHeld(std::move(held), readAhead_->needs());
    }
    item.newName = chain_->NewName(facts, counters_);
    bool moves = false;
    if (FileMoverSendsUp(settings_.fileTypes, item.newName)) {
        const std::u16string newDirectory = ParentFolder(std::u16string(directory));
        moves = newDirectory != directory;
        item.newFolder = moves ? FolderIndex(newDirectory) : folder;
    }
    item.folder = folder;
    if (!moves)
        item.newFolder = folder;
    item.other = kNoIndex;
    item.symbolCount = counters_.symbolCount;
    item.startIndex = counters_.startIndex;
    item.letter = counters_.letter;
    item.flags = 0;
    item.warnings = 0;
    item.noValue = facts.noValue();
    if (!item.noValue.empty())
        item.Warn(PlanWarning::NoValue);
    if (moves || item.newName != name)
        item.flags |= PlanItem::kChanged;
    if (droppedFolder)
        item.flags |= PlanItem::kDroppedFolder;
    if (chain_->RegexTookTooLong())
        item.flags |= PlanItem::kRegexTooLong;
    item.state = PlanState::Pending;
    item.oldName = std::move(name);
}

void BatchPlanner::RefuseRegex() {
    plan_.regexError = regexError_;
    plan_.regexExpression = settings_.replaceWhat;
    plan_.regexReplacement = settings_.replaceWith;
    phase_ = Phase::Done;
}

bool BatchPlanner::Next(PlanItem& item, ItemFolders* folders) {
    // Once the regular expression is refused, no item is given to the batch.
    if (plan_.regexError || !NextItem(item) || plan_.regexError)
        return false;
    if (folders != nullptr) {
        folders->from = std::move(from_);
        folders->to = std::move(to_);
    }
    return true;
}

bool BatchPlanner::NextItem(PlanItem& item) {
    for (;;) {
        if (!levels_.empty()) {
            Level& level = levels_.back();
            if (level.unreadable) {
                level.unreadable = false;
                UnreadableFolder(level.index, item);
                return true;
            }
            if (level.next == level.entries.size()) {
                levels_.pop_back();
                continue;
            }
            FolderEntry& entry = level.entries[level.next++];
            if (entry.isFolder) {
                if (mode_ == Mode::Preview)
                    plan_.folders[level.index].others.push_back(entry.name);
                if (!recursive_)
                    continue;
                // A folder that cannot be opened as itself is passed over, as an unreadable
                // one is.
                auto child = std::make_shared<const OpenFolder>(
                    OpenFolder::Child(*level.folder, entry.name));
                if (child->isOpen() && !walked_.insert(IdentityKey(child->identity())).second)
                    continue;
                std::u16string childBase = level.base + entry.name + kPathSeparator;
                const std::uint32_t index = FolderIndex(childBase);
                std::vector<FolderEntry> entries = Listed(*child, index);
                levels_.push_back(Level{std::move(childBase), index, std::move(child),
                                        std::move(entries), 0,
                                        plan_.folders[index].listError != 0});
                continue;  // `level` is invalid now
            }
            if (dedupe_ && met_.contains(MetKey(*level.folder, entry.name)))
                continue;
            from_ = level.folder;
            Name(std::move(entry.name), level.base, level.index, item, false);
            if (readAhead_)
                AskAhead(level);
            item.inode = entry.inode;
            const std::u16string& newDirectory = plan_.newFolderOf(item);
            if (item.newFolder == item.folder) {
                to_ = from_;
            } else if (levels_.size() >= 2 && newDirectory == levels_[levels_.size() - 2].base) {
                to_ = levels_[levels_.size() - 2].folder;
            } else if (newDirectory == topParentDirectory_) {
                to_ = topParent_;
            } else {
                to_ = folders_.Get(newDirectory);
            }
            return true;
        }

        switch (phase_) {
            case Phase::Start:
                if (source_.isDrop) {
                    phase_ = Phase::FirstPass;
                } else {
                    phase_ = Phase::Done;
                    if (!source_.folder.empty())
                        StartScan(WithSeparator(source_.folder), settings_.scanSubfolders);
                }
                continue;
            case Phase::Done:
                return false;
            case Phase::FirstPass:
            case Phase::SecondPass:
                break;
        }

        if (nextPath_ == paths_.size()) {
            nextPath_ = 0;
            // The dropped folders themselves come last, after everything inside them.
            phase_ = phase_ == Phase::FirstPass && settings_.renameDirs ? Phase::SecondPass
                                                                        : Phase::Done;
            continue;
        }
        const std::u16string& path = paths_[nextPath_++];
        const bool folder = IsFolder(path);
        if (phase_ == Phase::FirstPass && folder) {
            if (settings_.scanSubfolders)
                StartScan(WithSeparator(path), true);
            continue;
        }
        // A dropped path that names nothing is taken for a file; a path that is no
        // folder by its turn in the second pass is passed over.
        if (phase_ == Phase::SecondPass && !folder)
            continue;
        // Dropped items are renamed in the folders of their paths, opened (links
        // followed) when the first item of each is met.
        std::u16string directory = DirectoryPart(path);
        std::u16string name = NamePart(path);
        from_ = folders_.Get(directory);
        if (dedupe_) {
            // A file of a folder walked before was met there.
            if (!folder && from_->isOpen() && walked_.contains(IdentityKey(from_->identity())))
                continue;
            if (!met_.insert(MetKey(*from_, name)).second)
                continue;
        }
        Name(std::move(name), directory, FolderIndex(directory), item, folder);
        item.inode = 0;
        if (item.newFolder == item.folder) {
            to_ = from_;
        } else if (mode_ == Mode::Apply) {
            to_ = folders_.Get(plan_.newFolderOf(item));
        }
        return true;
    }
}

void BatchPlanner::UnreadableFolder(std::uint32_t folder, PlanItem& item) {
    item.oldName.clear();
    item.newName.clear();
    item.folder = folder;
    item.newFolder = folder;
    item.inode = 0;
    item.other = kNoIndex;
    item.state = PlanState::Pending;
    item.flags = PlanItem::kUnreadableFolder;
    item.warnings = 0;
    item.noValue.clear();
    item.symbolCount = counters_.symbolCount;
    item.startIndex = counters_.startIndex;
    item.letter = counters_.letter;
    from_.reset();
    to_.reset();
}

void BatchPlanner::NoteRenamed(const PlanItem& item, const OpenFolder& to) {
    if (dedupe_)
        met_.insert(MetKey(to, item.newName));
}

bool PlanWhole(const PlanRequest& request, Plan& plan, const std::function<bool()>& cancelled,
               std::size_t partialItems, const std::function<void(const Plan&)>& partial) {
    plan = Plan{};
    BatchPlanner planner(request.source, request.settings, request.configFile,
                         StartingCounters(request.settings, request.counters), plan,
                         BatchPlanner::Mode::Preview);
    bool partialSent = !partial;
    for (;;) {
        plan.items.emplace_back();
        if (!planner.Next(plan.items.back())) {
            plan.items.pop_back();
            break;
        }
        if (cancelled && cancelled())
            return false;
        if (!partialSent && plan.items.size() >= partialItems) {
            Summarize(plan);
            partial(plan);
            partialSent = true;
        }
    }
    if (!CheckPlan(plan, planner.settings(), cancelled))
        return false;
    plan.complete = true;
    Summarize(plan);
    return true;
}

}  // namespace brindle
