#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "batch/BatchPlan.h"
#include "batch/FolderCache.h"
#include "batch/HeldFactsReadAhead.h"
#include "engine/ConfigFile.h"
#include "engine/ItemOrder.h"
#include "engine/NameChain.h"
#include "engine/NameFilter.h"
#include "engine/RenameSettings.h"
#include "platform/OpenFolder.h"

namespace brindle {

// What a batch is over: the folder "Choose Folder" returned, or the dropped paths in the
// order they came.
struct BatchSource {
    bool isDrop = false;
    std::u16string folder;
    std::vector<std::u16string> paths;

    static BatchSource Folder(std::u16string folder);
    static BatchSource Drop(std::vector<std::u16string> paths);
    // Nothing to do at all: no folder, or no dropped path that is not empty. Such a
    // batch does not even begin.
    bool empty() const;
};

// True when `path` names a folder. A symbolic link is never one, so a dropped link to a
// folder is renamed like a file and no listing descends through a link.
bool IsFolder(std::u16string_view path);

// Meets a batch's items one by one, in the order the batch meets them, and names each:
// it lists the folders (each subfolder opened from its parent's descriptor, never
// through a link), orders their entries, reads the "Only English" table once, and runs
// the name chain and the file mover. It renames, logs and shows nothing.
//
// One folder is listed only when the walk reaches it, so that a batch applies each item
// right after planning it and meets the disk as it stands then: an item that an earlier
// item moved away is found missing, a dropped path is looked at when its turn comes.
// Only the folders on the way down from a scan's top stay open.
//
// A folder that cannot be opened or listed whole is met as an item of its own (an
// unreadableFolder() item), before what was listed of it.
//
// Every item is met once: a folder reached a second time (a dropped folder inside
// another one dropped too), a dropped file met again in a scan, or an item that apply
// renamed into a folder listed later is passed over.
//
// The order (ItemOrder.h) sorts each folder's listing, and the dropped paths under any
// order but natural. With "Across Folders" the whole batch is walked first and ordered as
// one (the dropped folders themselves still come last; a drop in natural order keeps its
// own, as walked); its folders then stay open until it ends. The filters and "Folders
// Only" pass items over without naming or numbering them; the Preview's plan notes them
// (Plan::skipped), and they stay among their folder's entries for the check. With "Folders Only"
// the walk's folders are its items, each after everything inside it.
class BatchPlanner {
public:
    enum class Mode {
        Preview,  // also records what the conflict check needs
        Apply,    // the planned folders stay reachable for the rename
    };

    // `configFile` holds the "Only English" table.
    BatchPlanner(const BatchSource& source, const RenameSettings& settings,
                 std::u16string configFile, const NameCounters& counters, Plan& plan, Mode mode);
    ~BatchPlanner();
    BatchPlanner(const BatchPlanner&) = delete;
    BatchPlanner& operator=(const BatchPlanner&) = delete;

    // The folders an item is renamed between, open as the walk met them.
    struct ItemFolders {
        std::shared_ptr<const OpenFolder> from;
        std::shared_ptr<const OpenFolder> to;
    };

    // Plans the next item into `item` (its folders are added to the plan) and, when
    // `folders` is given, hands over the folders it is renamed between; false when the
    // batch has no more.
    bool Next(PlanItem& item, ItemFolders* folders = nullptr);

    // The counters as they stand after the items planned so far.
    const NameCounters& counters() const { return counters_; }
    // The options as the batch leaves them: "Only English" off when its table could not
    // be opened, the file types lowered by the file mover once an item was met.
    const RenameSettings& settings() const { return settings_; }
    bool metAnItem() const { return metAnItem_; }

    // Apply tells the walk what it renamed: the item now has its new name in `to`, so
    // that no later listing meets it again. The one message back, since the walk meets
    // the disk as the batch leaves it.
    void NoteRenamed(const PlanItem& item, const OpenFolder& to);

private:
    struct Level;
    // An item the walk met, not yet named.
    struct Met {
        // Its name: a view of the listing it came from, which the walk holds until the
        // item is named, or a name of its own once it must outlive the listing (Keep).
        std::u16string_view name() const { return owned ? std::u16string_view(ownName) : listed; }
        void Own(std::u16string name) {
            ownName = std::move(name);
            owned = true;
        }
        void Keep() {
            if (!owned)
                Own(std::u16string(listed));
        }
        std::u16string_view listed;
        std::u16string ownName;
        bool owned = false;
        std::uint32_t folder = 0;
        std::shared_ptr<const OpenFolder> from;
        // The folder above `from` as the walk holds it (the file mover's target); null
        // when the walk holds none.
        std::shared_ptr<const OpenFolder> up;
        std::uint64_t inode = 0;
        bool isFolder = false;
        bool droppedFolder = false;
    };
    enum class Walked { Item, Unreadable, End };
    // The folder above levels_[level] (the top's parent above the first).
    std::shared_ptr<const OpenFolder> FolderAbove(std::size_t level) const;
    // The item of `level`'s `entry`, its name a view of the level's listing; `level` is
    // the deepest.
    Met EntryMet(const Level& level, const FolderEntry& entry) const;

    bool NextItem(PlanItem& item);
    // The walk: the next item met (passing over what the filters leave out), or a folder
    // that could not be listed (its index in `unreadable`), or the end (with collecting_,
    // the end of what is ordered as one).
    Walked Walk(Met& met, std::uint32_t& unreadable);
    // Whether the filters and "Folders Only" take the item; notes it when they do not.
    bool Takes(std::u16string_view name, std::uint32_t folder, bool isFolder, bool listed);
    // Names the item the walk met, in its place in the order.
    void Emit(Met met, PlanItem& item);
    // "Across Folders": walks everything that is ordered as one into pending_, and orders it.
    void Collect();
    // An item to be given its key: its folder's path (ending with '/'), its name, its
    // folder open as the walk met it (null: reached by its path).
    struct Keyed {
        const std::u16string* directory = nullptr;
        std::u16string_view name;
        const OpenFolder* folder = nullptr;
        bool isFolder = false;
    };
    // The keys of the order for `items`, each file read once for what the batch reads.
    std::vector<OrderValue> ValuesOf(const std::vector<Keyed>& items);
    // `items`' positions in the order, for their names and (keyed) their keys.
    std::vector<std::size_t> Ordered(const std::vector<Keyed>& items);
    // Whether the order keeps the drop's own order (natural, or as listed): then the
    // dropped paths are not sorted, across folders either.
    bool KeepsDropOrder() const;
    // The dropped paths in the order.
    void OrderPaths();
    // Starts the walk of a folder's tree (or only its own files) from `base`, ending
    // with '/'. False when the folder was walked before.
    bool StartScan(const std::u16string& base, bool recursive);
    // The item that stands for a folder that could not be listed.
    void UnreadableFolder(std::uint32_t folder, PlanItem& item);
    // Names the item and fills `item`.
    // In a Preview, `item` is the plan's last.
    void Name(std::u16string_view name, const std::u16string& directory, std::uint32_t folder,
              PlanItem& item, bool droppedFolder, bool isFolder);
    std::uint32_t FolderIndex(const std::u16string& path);
    // Ends the batch before its first item: the regular expression has a mistake.
    void RefuseRegex();
    // Ends the batch before its first item: the order or a filter has a mistake.
    void RefuseOption(std::u16string mistake);
    FolderListing Listed(const OpenFolder& folder, std::uint32_t index);
    // Asks the read-ahead for the files that come next in `level`.
    void AskAhead(Level& level);
    std::string MetKey(const OpenFolder& folder, std::u16string_view name) const;

    const BatchSource& source_;
    RenameSettings settings_;
    std::u16string configFile_;
    NameCounters counters_;
    Plan& plan_;
    Mode mode_;
    std::optional<ReplacementTable> table_;
    // The name pattern, parsed once for the batch; the chain takes it over.
    NamePattern pattern_;
    // The regular expression, compiled once for the batch; the chain takes it over. With
    // "Only English" on, a mistake in it matters only when the table cannot be read.
    std::optional<RegexReplacer> regex_;
    std::optional<RegexError> regexError_;
    std::optional<NameChain> chain_;
    // Reads the files' facts ahead of the naming, when the pattern or the order reads any,
    // for what both read.
    std::unique_ptr<HeldFactsReadAhead> readAhead_;
    HeldFactsNeeds factsNeeds_;
    std::optional<ItemOrder> order_;
    std::optional<NameFilter> filter_;
    // The date taken as the Preview's details show it.
    bool detailsTaken_ = false;
    // "Across Folders": the items walked, then ordered, and the next to name.
    bool across_ = false;
    bool collecting_ = false;
    bool collected_ = false;
    // A deque: a long batch's items are never moved as it grows.
    std::deque<Met> pending_;
    std::vector<std::size_t> pendingOrder_;
    std::vector<std::uint32_t> unreadables_;
    std::size_t nextPending_ = 0;
    std::size_t askedPending_ = 0;
    std::size_t nextUnreadable_ = 0;
    // The places of the items named so far, in the batch and by folder ({n}).
    std::int64_t batchPosition_ = 0;
    std::unordered_map<std::uint32_t, std::int64_t> folderPositions_;
    // The count of the folder of the item named last.
    std::int64_t* folderPosition_ = nullptr;
    std::uint32_t positionFolder_ = 0;

    FolderCache folders_;
    std::unordered_map<std::u16string, std::uint32_t> folderIndex_;
    std::vector<Level> levels_;
    bool recursive_ = false;
    std::shared_ptr<const OpenFolder> topParent_;
    std::u16string topParentDirectory_;

    enum class Phase { Start, FirstPass, SecondPass, Done };
    Phase phase_ = Phase::Start;
    std::size_t nextPath_ = 0;
    std::vector<std::u16string> paths_;

    // Folders walked so far, by identity.
    std::unordered_set<std::string> walked_;
    // Dropped items and renamed items of a drop: never met again.
    bool dedupe_ = false;
    std::unordered_set<std::string> met_;

    std::shared_ptr<const OpenFolder> from_;
    std::shared_ptr<const OpenFolder> to_;
    bool metAnItem_ = false;
    // The folder of the item being emitted, copied there (Emit).
    std::u16string emitDirectory_;
};

// A preview's whole plan: every item planned, then checked (PlanCheck.h), each with its
// state. `cancelled` is asked between items: once it says yes the plan stops, incomplete.
// `partial`, when given, is called once with the plan as it stands after the first
// `partialItems` items (unchecked), before the rest is planned.
struct PlanRequest {
    BatchSource source;
    RenameSettings settings;
    NameCounters counters;
    // The configuration that holds the "Only English" table.
    std::u16string configFile;
};
bool PlanWhole(const PlanRequest& request, Plan& plan,
               const std::function<bool()>& cancelled = nullptr, std::size_t partialItems = 0,
               const std::function<void(const Plan&)>& partial = nullptr);

// The counters a batch starts from: the given ones, or the reset values with "Reset
// Counters" on.
NameCounters StartingCounters(const RenameSettings& options, NameCounters counters);

}  // namespace brindle
