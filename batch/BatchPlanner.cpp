#include "batch/BatchPlanner.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <numeric>
#include <thread>
#include <variant>

#include "batch/FileMover.h"
#include "batch/PlanCheck.h"
#include "batch/RenameLog.h"
#include "engine/HeldFactsCache.h"
#include "engine/NaturalOrder.h"
#include "engine/PathParts.h"
#include "engine/PhotoTokens.h"
#include "engine/SelectionCheck.h"
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
    FolderListing entries;
    std::size_t next = 0;
    // The folder could not be listed whole: it is met as an item of its own first.
    bool unreadable = false;
    // The entries up to here are asked of the read-ahead.
    std::size_t asked = 0;
    // "Folders Only" over a tree: the folder is an item of its parent, met when everything
    // inside it has been; its name there and its inode number.
    bool itemOnPop = false;
    std::u16string nameInParent;
    std::uint64_t inode = 0;
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
    auto order = ItemOrder::Make(settings_);
    if (auto* error = std::get_if<PatternError>(&order)) {
        RefuseOption(OrderMistakeText(*error));
        return;
    }
    order_.emplace(std::move(std::get<ItemOrder>(order)));
    auto filter = NameFilter::Parse(settings_.include, settings_.exclude);
    if (auto* error = std::get_if<FilterError>(&filter)) {
        RefuseOption(FilterErrorText(*error));
        return;
    }
    if (!std::get<NameFilter>(filter).TakesAll())
        filter_.emplace(std::move(std::get<NameFilter>(filter)));
    across_ = settings_.acrossFolders;
    if (across_)
        AllowManyOpenFolders();
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
    // One read of each file for what the pattern and the order read, whichever asks first.
    factsNeeds_ = NeedsUnion(pattern_.Needs(), order_->needs());
    if (factsNeeds_.any()) {
        // Without its readers every such value would be missing: nothing is named at all.
        if (const std::string& problem = HeldFactsReadersProblem(); !problem.empty()) {
            RefuseOption(DecodeName(problem));
            return;
        }
        readAhead_ = std::make_unique<HeldFactsReadAhead>(factsNeeds_);
    }
    if (mode_ == Mode::Preview) {
        detailsTaken_ = factsNeeds_.photo;
        plan_.showsTaken = detailsTaken_;
    }
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
        plan_.folders.back().holdsLineBreak = HoldsLineBreak(path);
    }
    return at->second;
}

FolderListing BatchPlanner::Listed(const OpenFolder& folder, std::uint32_t index) {
    int error = 0;
    FolderListing entries = folder.List(&error);
    // What was read before a failure is still planned; the rest is not guessed at.
    plan_.folders[index].listError = error;
    // The filesystem's own order, unless it is reversed or the whole batch is ordered
    // at once, keeps the listing as it is.
    const bool asListed = order_->order() == NameOrder::None &&
                          ((across_ && !KeepsDropOrder()) || !order_->reverse());
    if (entries.size() > 1 && !asListed) {
        std::vector<std::size_t> indices;
        if (!across_ || KeepsDropOrder()) {
            // Each folder ordered on its own.
            std::vector<Keyed> keyed;
            keyed.reserve(entries.size());
            const std::u16string& directory = plan_.folders[index].path;
            for (const FolderEntry& entry : entries)
                keyed.push_back({&directory, entry.name, &folder, entry.isFolder});
            indices = Ordered(keyed);
        } else {
            // The whole batch is ordered at once; walked in natural order, so that items
            // of equal keys and names in different folders keep the tree's order, not the
            // filesystem's.
            std::vector<std::u16string_view> names;
            names.reserve(entries.size());
            for (const FolderEntry& entry : entries)
                names.push_back(entry.name);
            indices = NameOrderIndices(names, NameOrder::Natural);
        }
        entries.Reorder(indices);
    }
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
    FolderListing entries = Listed(*top, index);
    levels_.push_back(Level{base,
                            index,
                            std::move(top),
                            std::move(entries),
                            0,
                            plan_.folders[index].listError != 0,
                            0,
                            false,
                            {},
                            0});
    return true;
}

void BatchPlanner::Name(std::u16string_view name, const std::u16string& directory,
                        std::uint32_t folder, PlanItem& item, bool droppedFolder, bool isFolder) {
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
    }
    if (!metAnItem_) {
        // The file mover lowers the option once an item is met, as it keeps it then.
        settings_.fileTypes = AsciiLowered(settings_.fileTypes);
    }
    metAnItem_ = true;
    const bool fromOpen = from_ && from_->isOpen();
    ItemFacts facts(directory, name, fromOpen ? from_->fd() : -1, plan_.startTime);
    facts.setNeeds(&factsNeeds_);
    facts.setPosition(batchPosition_, *folderPosition_);
    if (readAhead_ && fromOpen) {
        if (auto held = readAhead_->Take(*from_, EncodeName(name)))
            facts.setHeld(std::move(held), readAhead_->needs());
    }
    chain_->NameInto(facts, counters_, item.newName);
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
    if (mode_ == Mode::Preview) {
        PlanItemDetails details;
        const ItemTimes& times = facts.times();
        details.hasSize = times.hasSize && !isFolder;
        details.size = times.size;
        details.hasModified = times.hasModified;
        details.modified = times.modified;
        if (detailsTaken_) {
            static const HeldFactsNeeds kPhoto{true, false, {}};
            if (const auto taken = TakenDate(facts.held(kPhoto)))
                AppendDate(*taken, u"%Y-%m-%d %H:%M:%S", details.taken);
        }
        plan_.details.resize(plan_.items.size());
        if (!plan_.details.empty())
            plan_.details.back() = std::move(details);
    }
    // Into the room the item had: a batch's items are used again, group after group.
    item.oldName.assign(name);
}

void BatchPlanner::RefuseOption(std::u16string mistake) {
    plan_.optionMistake = std::move(mistake);
    phase_ = Phase::Done;
}

void BatchPlanner::RefuseRegex() {
    plan_.regexError = regexError_;
    plan_.regexExpression = settings_.replaceWhat;
    plan_.regexReplacement = settings_.replaceWith;
    phase_ = Phase::Done;
}

bool BatchPlanner::Next(PlanItem& item, ItemFolders* folders) {
    // Once the regular expression is refused, no item is given to the batch.
    if (plan_.regexError || plan_.optionMistake || !NextItem(item) || plan_.regexError)
        return false;
    if (folders != nullptr) {
        folders->from = std::move(from_);
        folders->to = std::move(to_);
    }
    return true;
}

bool BatchPlanner::Takes(std::u16string_view name, std::uint32_t folder, bool isFolder,
                         bool listed) {
    const bool taken = (isFolder || !settings_.foldersOnly) && (!filter_ || filter_->Takes(name));
    if (!taken && mode_ == Mode::Preview) {
        // It keeps its name: the check must see it among the folder's entries.
        if (listed)
            plan_.folders[folder].others.emplace_back(name);
        plan_.skipped.push_back({folder, std::u16string(name)});
    }
    return taken;
}

std::shared_ptr<const OpenFolder> BatchPlanner::FolderAbove(std::size_t level) const {
    return level >= 1 ? levels_[level - 1].folder : topParent_;
}

BatchPlanner::Met BatchPlanner::EntryMet(const Level& level, const FolderEntry& entry) const {
    Met met;
    met.listed = entry.name;
    met.folder = level.index;
    met.from = level.folder;
    // `level` is the deepest: the folder above it is the one below it on the stack.
    met.up = FolderAbove(levels_.size() - 1);
    met.inode = entry.inode;
    met.isFolder = entry.isFolder;
    return met;
}

BatchPlanner::Walked BatchPlanner::Walk(Met& met, std::uint32_t& unreadable) {
    for (;;) {
        if (!levels_.empty()) {
            Level& level = levels_.back();
            if (level.unreadable) {
                level.unreadable = false;
                unreadable = level.index;
                return Walked::Unreadable;
            }
            if (level.next == level.entries.size()) {
                if (!level.itemOnPop || levels_.size() < 2) {
                    levels_.pop_back();
                    continue;
                }
                // "Folders Only": the folder itself, now that all inside it was met.
                Level& parent = levels_[levels_.size() - 2];
                met = Met{};
                met.Own(std::move(level.nameInParent));
                met.folder = parent.index;
                met.from = parent.folder;
                met.up = FolderAbove(levels_.size() - 2);
                met.inode = level.inode;
                met.isFolder = true;
                levels_.pop_back();
                if (!Takes(met.name(), met.folder, true, true))
                    continue;
                return Walked::Item;
            }
            FolderEntry& entry = level.entries[level.next++];
            if (entry.isFolder) {
                const bool item = settings_.foldersOnly;
                if (!item && mode_ == Mode::Preview)
                    plan_.folders[level.index].others.emplace_back(entry.name);
                if (!recursive_) {
                    if (!item || !Takes(entry.name, level.index, true, true))
                        continue;
                    met = EntryMet(level, entry);
                    return Walked::Item;
                }
                // A folder that cannot be opened as itself is passed over, as an unreadable
                // one is.
                auto child = std::make_shared<const OpenFolder>(
                    OpenFolder::Child(*level.folder, entry.name));
                if (child->isOpen() && !walked_.insert(IdentityKey(child->identity())).second)
                    continue;
                std::u16string childBase = level.base;
                childBase += entry.name;
                childBase += kPathSeparator;
                const std::uint32_t index = FolderIndex(childBase);
                FolderListing entries = Listed(*child, index);
                levels_.push_back(
                    Level{std::move(childBase), index, std::move(child), std::move(entries), 0,
                          plan_.folders[index].listError != 0, 0, item,
                          item ? std::u16string(entry.name) : std::u16string(), entry.inode});
                continue;  // `level` is invalid now
            }
            if (dedupe_ && met_.contains(MetKey(*level.folder, entry.name)))
                continue;
            if (!Takes(entry.name, level.index, false, true))
                continue;
            met = EntryMet(level, entry);
            if (readAhead_ && !across_)
                AskAhead(level);
            return Walked::Item;
        }

        switch (phase_) {
            case Phase::Start:
                if (source_.isDrop) {
                    phase_ = Phase::FirstPass;
                    OrderPaths();
                } else {
                    phase_ = Phase::Done;
                    if (!source_.folder.empty())
                        StartScan(WithSeparator(source_.folder), settings_.scanSubfolders);
                }
                continue;
            case Phase::Done:
                return Walked::End;
            case Phase::FirstPass:
            case Phase::SecondPass:
                break;
        }

        if (nextPath_ == paths_.size()) {
            nextPath_ = 0;
            // The dropped folders themselves come last, after everything inside them.
            phase_ = phase_ == Phase::FirstPass && settings_.renameDirs ? Phase::SecondPass
                                                                        : Phase::Done;
            if (collecting_)
                return Walked::End;
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
        std::shared_ptr<const OpenFolder> from = folders_.Get(directory);
        if (dedupe_) {
            // A file of a folder walked before was met there.
            if (!folder && from->isOpen() && walked_.contains(IdentityKey(from->identity())))
                continue;
            if (!met_.insert(MetKey(*from, name)).second)
                continue;
        }
        const std::uint32_t index = FolderIndex(directory);
        // "Folders Only" renames no dropped file; a dropped folder is renamed with "Rename
        // Dir", as ever.
        if (!Takes(name, index, folder, false))
            continue;
        met = Met{};
        met.Own(std::move(name));
        met.folder = index;
        met.from = std::move(from);
        met.isFolder = folder;
        met.droppedFolder = folder;
        return Walked::Item;
    }
}

void BatchPlanner::Emit(Met met, PlanItem& item) {
    ++batchPosition_;
    // Items come folder by folder: the count is looked up again only when the folder
    // changes (a map's values stay where they are as it grows).
    if (!folderPosition_ || met.folder != positionFolder_) {
        folderPosition_ = &folderPositions_[met.folder];
        positionFolder_ = met.folder;
    }
    ++*folderPosition_;
    from_ = std::move(met.from);
    // A copy, since naming may add the folder above to the plan's folders; kept from item
    // to item, so that it takes no new memory.
    emitDirectory_ = plan_.folders[met.folder].path;
    Name(met.name(), emitDirectory_, met.folder, item, met.droppedFolder, met.isFolder);
    item.inode = met.inode;
    if (item.newFolder == item.folder) {
        to_ = from_;
    } else if (met.up) {
        // The file mover's target is always the folder above.
        to_ = std::move(met.up);
    } else if (mode_ == Mode::Apply) {
        to_ = folders_.Get(plan_.newFolderOf(item));
    }
}

// Listings at least this long have their entries looked at by several threads at once.
constexpr std::size_t kSplitStatsFrom = 4096;

std::vector<OrderValue> BatchPlanner::ValuesOf(const std::vector<Keyed>& items) {
    std::vector<OrderValue> values(items.size());
    const bool reads = order_->needs().any() && readAhead_;
    if (reads) {
        // Every file asked at once: the threads read while the keys are taken in turn.
        for (const Keyed& item : items) {
            if (!item.isFolder && item.folder != nullptr && item.folder->isOpen())
                readAhead_->Ask(
                    std::shared_ptr<const OpenFolder>(std::shared_ptr<void>(), item.folder),
                    EncodeName(item.name));
        }
    }
    if (order_->readsTimes() && items.size() >= kSplitStatsFrom) {
        // One statx per item, each on its own: a long listing's are shared out among a
        // few threads, so that the order costs the batch little beside its renames.
        const std::size_t threads = std::clamp(std::thread::hardware_concurrency(), 2u, 4u);
        const std::size_t share = (items.size() + threads - 1) / threads;
        std::vector<std::exception_ptr> failures(threads);
        std::vector<std::thread> workers;
        workers.reserve(threads);
        for (std::size_t t = 0; t < threads; ++t) {
            workers.emplace_back([&, t] {
                try {
                    const std::size_t end = std::min(items.size(), (t + 1) * share);
                    for (std::size_t i = t * share; i < end; ++i) {
                        const Keyed& item = items[i];
                        const bool open = item.folder != nullptr && item.folder->isOpen();
                        const ItemFacts facts(*item.directory, item.name,
                                              open ? item.folder->fd() : -1, plan_.startTime);
                        values[i] = order_->ValueOf(facts, item.isFolder);
                    }
                } catch (...) {
                    // Out of memory at worst: told on the planner's own thread.
                    failures[t] = std::current_exception();
                }
            });
        }
        for (std::thread& worker : workers)
            worker.join();
        for (const std::exception_ptr& failure : failures) {
            if (failure)
                std::rethrow_exception(failure);
        }
        return values;
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Keyed& item = items[i];
        const bool open = item.folder != nullptr && item.folder->isOpen();
        ItemFacts facts(*item.directory, item.name, open ? item.folder->fd() : -1, plan_.startTime);
        facts.setNeeds(&factsNeeds_);
        if (reads && open && !item.isFolder) {
            if (auto held = readAhead_->Take(*item.folder, EncodeName(item.name)))
                facts.setHeld(std::move(held), readAhead_->needs());
        }
        values[i] = order_->ValueOf(facts, item.isFolder);
    }
    return values;
}

std::vector<std::size_t> BatchPlanner::Ordered(const std::vector<Keyed>& items) {
    std::vector<std::u16string_view> names;
    names.reserve(items.size());
    for (const Keyed& item : items)
        names.push_back(item.name);
    std::vector<OrderValue> values;
    if (order_->keyed())
        values = ValuesOf(items);
    return order_->Indices(names, values);
}

bool BatchPlanner::KeepsDropOrder() const {
    return source_.isDrop &&
           (order_->order() == NameOrder::Natural || order_->order() == NameOrder::None);
}

void BatchPlanner::OrderPaths() {
    if (paths_.size() < 2)
        return;
    if (KeepsDropOrder()) {
        // The drop's own order, as the user made it.
        if (order_->reverse())
            std::reverse(paths_.begin(), paths_.end());
        return;
    }
    std::vector<std::u16string> directories;
    std::vector<std::u16string> names;
    directories.reserve(paths_.size());
    names.reserve(paths_.size());
    for (const std::u16string& path : paths_) {
        directories.push_back(DirectoryPart(path));
        names.push_back(NamePart(path));
    }
    std::vector<Keyed> keyed;
    keyed.reserve(paths_.size());
    for (std::size_t i = 0; i < paths_.size(); ++i)
        keyed.push_back({&directories[i], names[i], nullptr, IsFolder(paths_[i])});
    const std::vector<std::size_t> indices = Ordered(keyed);
    std::vector<std::u16string> sorted;
    sorted.reserve(paths_.size());
    for (const std::size_t at : indices)
        sorted.push_back(std::move(paths_[at]));
    paths_ = std::move(sorted);
}

void BatchPlanner::Collect() {
    collected_ = true;
    collecting_ = true;
    for (;;) {
        Met met;
        std::uint32_t unreadable = 0;
        const Walked walked = Walk(met, unreadable);
        if (walked == Walked::End)
            break;
        if (walked == Walked::Unreadable)
            unreadables_.push_back(unreadable);
        else {
            // Kept past its listing, which the walk lets go of as it goes on.
            met.Keep();
            pending_.push_back(std::move(met));
        }
    }
    collecting_ = false;
    std::vector<std::size_t> indices;
    if (KeepsDropOrder() || (order_->order() == NameOrder::None && !order_->reverse())) {
        // As walked: the drop's order, or each folder's listing as it came.
        indices.resize(pending_.size());
        std::iota(indices.begin(), indices.end(), std::size_t{0});
    } else {
        std::vector<Keyed> keyed;
        keyed.reserve(pending_.size());
        for (const Met& met : pending_)
            keyed.push_back(
                {&plan_.folders[met.folder].path, met.name(), met.from.get(), met.isFolder});
        indices = Ordered(keyed);
    }
    if (settings_.foldersOnly && settings_.scanSubfolders) {
        // A folder is renamed after everything inside it: deepest first, in the order
        // within each depth.
        const auto depth = [this](const Met& met) {
            const std::u16string& path = plan_.folders[met.folder].path;
            return std::count(path.begin(), path.end(), kPathSeparator);
        };
        std::stable_sort(indices.begin(), indices.end(), [&](std::size_t x, std::size_t y) {
            return depth(pending_[x]) > depth(pending_[y]);
        });
    }
    pendingOrder_ = std::move(indices);
}

bool BatchPlanner::NextItem(PlanItem& item) {
    if (across_ && !collected_)
        Collect();
    if (nextUnreadable_ < unreadables_.size()) {
        UnreadableFolder(unreadables_[nextUnreadable_++], item);
        return true;
    }
    if (nextPending_ < pendingOrder_.size()) {
        if (readAhead_) {
            // Keeps the read-ahead's threads a little ahead of the naming.
            constexpr std::size_t kAhead = 48;
            askedPending_ = std::max(askedPending_, nextPending_);
            for (; askedPending_ < std::min(pendingOrder_.size(), nextPending_ + kAhead);
                 ++askedPending_) {
                const Met& ahead = pending_[pendingOrder_[askedPending_]];
                if (!ahead.isFolder && ahead.from && ahead.from->isOpen())
                    readAhead_->Ask(ahead.from, EncodeName(ahead.name()));
            }
        }
        Emit(std::move(pending_[pendingOrder_[nextPending_++]]), item);
        if (nextPending_ == pendingOrder_.size()) {
            pending_.clear();
            pending_.shrink_to_fit();
            pendingOrder_.clear();
            pendingOrder_.shrink_to_fit();
            nextPending_ = 0;
            askedPending_ = 0;
        }
        return true;
    }
    Met met;
    std::uint32_t unreadable = 0;
    switch (Walk(met, unreadable)) {
        case Walked::End:
            return false;
        case Walked::Unreadable:
            UnreadableFolder(unreadable, item);
            return true;
        case Walked::Item:
            Emit(std::move(met), item);
            return true;
    }
    return false;
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
    // Items that were never named (unreadable folders) have no details.
    plan.details.resize(plan.items.size());
    if (!CheckPlan(plan, planner.settings(), cancelled))
        return false;
    plan.complete = true;
    Summarize(plan);
    return true;
}

}  // namespace brindle
