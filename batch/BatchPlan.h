#pragma once

#include <array>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "batch/RowData.h"
#include "engine/PatternCreator.h"
#include "engine/RegexReplace.h"
#include "platform/WallClock.h"

namespace brindle {

inline constexpr std::uint32_t kNoIndex = 0xFFFFFFFFu;

// What a batch will do with an item, as the preview foresees it. Apply leaves an item
// that is not renamed as it is and fails the conflicting ones, as every batch does.
enum class PlanState : std::uint8_t {
    Pending,          // not checked yet: a partial plan
    Rename,           // renamed, or moved by the file mover
    Unchanged,        // the new name and folder are the old ones
    OnlyLog,          // would change, but "Only Log" renames nothing
    TwoAimAtOneName,  // an earlier item of the batch takes the same name first
    TargetExists,     // the target exists and is no item that moves away before this one
    NotAName,         // the new name cannot be a name
    ReadOnly,         // read-only, and "Read Only" is on
    Missing,          // there is nothing of the old name to rename
    FolderMovedAway,  // a dropped folder above it is renamed first: the batch passes it over
    Unreadable,       // a folder that could not be listed (whole or in part)
    LosesContents,    // a folder on a filesystem whose folder renames lose their contents
    RegexTooLong,     // the regular expression ran past its limits on the name
};
inline constexpr std::size_t kPlanStates = 13;

bool IsConflict(PlanState state);
// "rename", "unchanged", "Only Log", "conflict: ...".
std::u16string_view StateText(PlanState state);
// A conflict's reason, as a failed item's row carries it: its StateText after "conflict: "
// ("the new name exists"); empty for a state that is no conflict.
std::u16string_view ConflictReason(PlanState state);

// What the Preview warns of besides conflicts: likely a mistake, but the batch renames a
// warned item all the same. Bits of PlanItem::warnings; the check sets them, apply never
// asks.
enum class PlanWarning : std::uint8_t {
    // The new name begins with '.' and has no other '.', the old one did not begin with
    // '.': the item becomes hidden, nothing left of its name but the extension.
    Hidden = 1,
    // Other items of its folder get its new name too, from a name pattern without a
    // counter: the conflicts among them follow from that.
    NoCounter = 2,
    // A token group of the name pattern had no value for the item, which inserted
    // nothing (PlanItem::noValue names the groups). Set when the item is named.
    NoValue = 4,
};
inline constexpr PlanWarning kPlanWarnings[] = {PlanWarning::Hidden, PlanWarning::NoCounter,
                                                PlanWarning::NoValue};

// "warning: ..." for one warning (NoValue without the groups WarningsTextOf names).
std::u16string_view WarningText(PlanWarning warning);

// A folder that items of the plan live in or move to.
struct PlanFolder {
    std::u16string path;  // ending with '/'
    // Its entries that are no items of the plan (subfolders of a scan), where the
    // planner listed the folder: then its items and these are all its entries.
    std::vector<std::u16string> others;
    bool listed = false;
    // Whether names that differ only in letter case are one name here; known once
    // caseKnown is set.
    bool ignoresCase = false;
    bool caseKnown = false;
    // The errno that kept the planner from listing all of it; 0 when it was.
    int listError = 0;
    // A line break in its path: no record of an item in it can be written to the log.
    bool holdsLineBreak = false;
};

// One item of a batch, in the order the batch meets it. Compact: the two names, the
// folders as indices into the plan's folders, and the counters after the item.
struct PlanItem {
    enum Flags : std::uint8_t {
        kChanged = 1,        // new name or folder differ from the old ones
        kDroppedFolder = 2,  // a dropped folder renamed after everything else
        // Not an item but the folder `folder` itself, which could not be listed: its
        // names are empty and it is never renamed.
        kUnreadableFolder = 4,
        // The regular expression ran past its limits on the name: never renamed.
        kRegexTooLong = 8,
    };

    std::u16string oldName;
    std::u16string newName;
    std::uint32_t folder = 0;
    std::uint32_t newFolder = 0;
    // The inode number the folder's listing gave, 0 when the item was not listed (dropped).
    std::uint64_t inode = 0;
    // The item a conflict is with, or kNoIndex.
    std::uint32_t other = kNoIndex;
    std::int32_t symbolCount = 0;
    // The pattern's counters as they stand after this item.
    std::int32_t startIndex = 0;
    char16_t letter = u'a';
    std::uint8_t flags = 0;
    PlanState state = PlanState::Pending;
    std::uint8_t warnings = 0;  // PlanWarning bits
    // With PlanWarning::NoValue, the pattern's groups without a value: "{created}".
    std::u16string noValue;

    bool changed() const { return (flags & kChanged) != 0; }
    bool droppedFolder() const { return (flags & kDroppedFolder) != 0; }
    bool unreadableFolder() const { return (flags & kUnreadableFolder) != 0; }
    bool regexTooLong() const { return (flags & kRegexTooLong) != 0; }
    bool warned(PlanWarning warning) const {
        return (warnings & static_cast<std::uint8_t>(warning)) != 0;
    }
    void Warn(PlanWarning warning) { warnings |= static_cast<std::uint8_t>(warning); }
};

// An entry the batch passes over by choice, as the Preview can show it greyed: a name the
// filters leave out, or a file under "Folders Only". It keeps its name, and the check
// counts it among its folder's entries.
struct PlanSkipped {
    std::uint32_t folder = 0;
    std::u16string name;
};

// What the Preview shows of an item besides its names, read as the item was planned: its
// size, its modification time and (when the pattern or the order reads it) the date a
// photo was taken, as "{taken}" writes it. Empty where the item gave none.
struct PlanItemDetails {
    bool hasSize = false;
    bool hasModified = false;
    std::uint64_t size = 0;
    WallTime modified;
    std::u16string taken;
};

// How many items are in each state.
struct PlanSummary {
    std::array<std::uint32_t, kPlanStates> counts{};
    std::uint32_t items = 0;
    std::uint32_t conflicts = 0;
    // Items with a warning, and how many have each.
    std::uint32_t warnings = 0;
    std::array<std::uint32_t, std::size(kPlanWarnings)> warningCounts{};
    // Entries passed over by the filters or "Folders Only" (Plan::skipped).
    std::uint32_t skipped = 0;
    std::uint32_t count(PlanState state) const { return counts[static_cast<std::size_t>(state)]; }
    std::uint32_t count(PlanWarning warning) const;
};

// A batch's plan: every item with its new name and folder, before anything is renamed.
struct Plan {
    std::vector<PlanFolder> folders;
    std::vector<PlanItem> items;
    // Every item is in, and each has its state.
    bool complete = false;
    // The "Only English" table could not be opened: the filter is off for this batch.
    bool tableFailed = false;
    std::u16string configFile;
    // The name pattern has a mistake: the batch has no items.
    std::optional<PatternError> patternError;
    // The regular expression or its replacement has a mistake: the batch has no items.
    // The two texts as the mistake's offset counts in them.
    std::optional<RegexError> regexError;
    std::u16string regexExpression;
    std::u16string regexReplacement;
    // The order's expression or a filter has a mistake, said whole: the batch has no
    // items.
    std::optional<std::u16string> optionMistake;
    // What the batch passes over by choice; the Preview's plans only.
    std::vector<PlanSkipped> skipped;
    // The Preview's plans only: each item's details, by the item's index.
    std::vector<PlanItemDetails> details;
    // The details hold the date taken: the pattern or the order reads it.
    bool showsTaken = false;
    // A name pattern is used and it has no counter: the check warns of the items of one
    // folder that it gives one name.
    bool patternWithoutCounter = false;
    PlanSummary summary;
    // When the planning began: {now} for each item, one moment for the whole batch.
    WallTime startTime;

    const std::u16string& folderOf(const PlanItem& item) const { return folders[item.folder].path; }
    const std::u16string& newFolderOf(const PlanItem& item) const {
        return folders[item.newFolder].path;
    }
};

// The item's state as the Preview tells it: StateText, with the system's reason for a
// folder that could not be read.
std::u16string StateTextOf(const Plan& plan, const PlanItem& item);
// The item's warnings, each "; warning: ...", to follow its state; empty without any.
std::u16string WarningsTextOf(const PlanItem& item);

// The text of the Output Log's "Input File" for the item: its name, or a dropped folder's
// (or an unreadable folder's) whole path.
std::u16string InputText(const Plan& plan, const PlanItem& item);
// The item's row as apply adds it when nothing fails: views into the plan.
RowData RowOf(const Plan& plan, const PlanItem& item);

// What a batch or the Preview tells when the "Only English" table of the configuration
// `configFile` cannot be read: "Error opening file: " and its path.
std::u16string TableFailureText(std::u16string_view configFile);

// The summary line: "Items: N | To rename: N | Unchanged: N | Only Log: N | Conflicts: N
// (same new name: N, target exists: N, not a name: N, read-only: N, not found: N, folder
// moved: N) | Warnings: N (hidden: N, ...)", with what is still being planned or could not
// be read; or the mistake in the name pattern or in the regular expression. Only Log and Warnings
// only where there are any.
std::u16string SummaryText(const Plan& plan);

// Counts the states into plan.summary.
void Summarize(Plan& plan);

}  // namespace brindle
