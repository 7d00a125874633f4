#pragma once

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
            rows.push_back(row);
        }
        return rows;
    }
};

}  // namespace brindle::testing
