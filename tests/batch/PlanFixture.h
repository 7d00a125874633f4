#pragma once

#include <cerrno>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BatchFixture.h"
#include "batch/BatchPlanner.h"
#include "batch/Messages.h"
#include "batch/PlanCheck.h"

namespace brindle::testing {

// A batch fixture that previews too: it plans a batch whole, as the preview window does,
// and foresees the rows apply adds.
class PlanFixture : public BatchFixture {
protected:
    Plan Preview(const BatchSource& source) {
        Plan plan;
        EXPECT_TRUE(PlanWhole(
            PlanRequest{source, settings(), session.NextCounters(), session.configFile()}, plan));
        EXPECT_TRUE(plan.complete);
        return plan;
    }
    Plan PreviewItems() { return Preview(BatchSource::Folder(items())); }

    // The reason apply gives a conflict, as the kernel or the rules tell it then: a name
    // taken (by whichever item took it first) in the Preview's words, the others in the
    // system's.
    static std::u16string ForeseenReason(const Plan& plan, const PlanItem& item) {
        switch (item.state) {
            case PlanState::TwoAimAtOneName:
            case PlanState::TargetExists:
                return std::u16string(ConflictReason(PlanState::TargetExists)) + u" (" +
                       item.newName + u")";
            case PlanState::NotAName:
            case PlanState::RegexTooLong:
                return std::u16string(ConflictReason(item.state));
            case PlanState::Missing:
                return SystemErrorText(ENOENT);
            case PlanState::LosesContents:
                return kTextFolderRenameLosesContents;
            case PlanState::Unreadable:
                return std::u16string(kTextCannotReadFolder) + u": " +
                       SystemErrorText(plan.folders[item.folder].listError);
            default:
                return {};
        }
    }

    // The rows apply adds when the disk does not change after the plan.
    static std::vector<Row> ForeseenRows(const Plan& plan) {
        std::vector<Row> rows;
        for (const PlanItem& item : plan.items) {
            if (item.state == PlanState::FolderMovedAway)
                continue;
            Row row = TextsOf(RowOf(plan, item));
            if (item.state == PlanState::ReadOnly)
                row.output += kTextReadOnly;
            else if (IsConflict(item.state))
                row.output = kTextRenameFailed;
            row.reason = ForeseenReason(plan, item);
            if (!row.reason.empty()) {
                row.reasonPath =
                    item.unreadableFolder() ? row.input : plan.folderOf(item) + item.oldName;
            }
            rows.push_back(row);
        }
        return rows;
    }
};

}  // namespace brindle::testing
