#pragma once

#include <string_view>

#include "batch/BatchPlan.h"
#include "engine/RenameSettings.h"

namespace brindle {

// The rules that say what becomes of one planned item, before the names around it are
// looked at. The Preview's check (PlanCheck.cpp) and a batch's apply step
// (RenameSessionApply.cpp) both ask them, so that what the Preview shows is what a batch
// does. What only the disk can say when the rename happens (a name taken since, an item
// gone) the check foresees from its listings and apply learns from the kernel.

// Whether an item can be given `name`: a name the filesystem can hold (not empty, "."
// or "..", no '/' or NUL, nothing the name codec cannot write back) of at most 255 bytes.
bool IsNameToGive(std::u16string_view name);

// The rules in their order. `facts` is asked only when a rule needs it:
//   facts.Absent()        the state of an item the batch will not find (Missing,
//                         FolderMovedAway), or Pending when it will;
//   facts.LosesContents() a dropped folder whose filesystem loses a folder's contents
//                         when it is renamed;
//   facts.ReadOnly()      the item is read-only (asked with "Read Only" on).
// Rename means: renamed, unless its new name is taken when its turn comes.
template <class Facts>
PlanState JudgeItem(const PlanItem& item, const RenameSettings& settings, Facts&& facts) {
    if (item.unreadableFolder())
        return PlanState::Unreadable;
    // Its new name is not known: whatever else holds, it is not renamed.
    if (item.regexTooLong())
        return PlanState::RegexTooLong;
    if (!item.changed())
        return PlanState::Unchanged;
    if (settings.onlyLog)
        return PlanState::OnlyLog;
    if (const PlanState absent = facts.Absent(); absent != PlanState::Pending)
        return absent;
    if (item.droppedFolder() && facts.LosesContents())
        return PlanState::LosesContents;
    if (settings.skipReadOnly && facts.ReadOnly())
        return PlanState::ReadOnly;
    if (!IsNameToGive(item.newName))
        return PlanState::NotAName;
    return PlanState::Rename;
}

}  // namespace brindle
