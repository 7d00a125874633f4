#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "batch/RowData.h"

namespace brindle {
namespace {

TEST(FormatStatusTest, FiveFiguresInOrderSigned) {
    BatchStats stats;
    stats.totalFiles = INT_MIN;
    stats.changedFiles = 2;
    stats.maxInputLength = 3;
    stats.maxOutputLength = 4;
    stats.exceptions = 5;
    stats.nextRow = 99;
    EXPECT_EQ(FormatStatus(stats),
              u"Total files: -2147483648 | Changed files: 2 | Average Input length: 3 | "
              u"Average Output length: 4 | Exceptions: 5");
    // Into a text of its own, whatever it held.
    std::u16string out = u"stale stale stale";
    FormatStatus(BatchStats{}, out);
    EXPECT_EQ(out,
              u"Total files: 0 | Changed files: 0 | Average Input length: 0 | "
              u"Average Output length: 0 | Exceptions: 0");
}

}  // namespace
}  // namespace brindle
