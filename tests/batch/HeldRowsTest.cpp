#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "batch/HeldRows.h"

namespace brindle {
namespace {

struct Texts {
    std::u16string inputFolder, input, output, folder, reason, reasonPath;
};

void ExpectRow(const RowData& row, const Texts& texts, std::int32_t count) {
    EXPECT_EQ(row.inputFolder, texts.inputFolder);
    EXPECT_EQ(row.input, texts.input);
    EXPECT_EQ(row.output, texts.output);
    EXPECT_EQ(row.folder, texts.folder);
    EXPECT_EQ(row.reason, texts.reason);
    EXPECT_EQ(row.reasonPath, texts.reasonPath);
    EXPECT_EQ(row.count, count);
}

// Rows keep their texts exactly, empty ones and neighbours apart, after the buffer has
// grown many times and after it was emptied and swapped for reuse.
TEST(HeldRowsTest, TextsSurviveGrowthClearAndSwap) {
    const std::vector<Texts> table = {
        {u"", u"a.txt", u"b.txt", u"/f/", u"", u""},
        {u"/dropped/", u"", u"", u"", u"the new name exists (x)", u"/f/x"},
        {u"", u"\U0001F600.jpg", u"\xD800", u"/\u00E9/", u"", u""},
    };
    HeldRows rows;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 3000; ++i) {
            const Texts& t = table[static_cast<std::size_t>(i) % table.size()];
            rows.Add(RowData{.mark = i % 2 ? RowMark::Error : RowMark::Note,
                             .inputFolder = t.inputFolder,
                             .input = t.input,
                             .output = t.output,
                             .suffix = RowSuffix::ReadOnly,
                             .countShown = i % 3 != 0,
                             .count = i,
                             .folder = t.folder,
                             .reason = t.reason,
                             .reasonPath = t.reasonPath});
        }
        HeldRows handed;
        handed.swap(rows);
        ASSERT_TRUE(rows.empty());
        ASSERT_EQ(handed.size(), 3000u);
        for (int i = 0; i < 3000; ++i) {
            SCOPED_TRACE(i);
            const RowData row = handed[static_cast<std::size_t>(i)];
            ExpectRow(row, table[static_cast<std::size_t>(i) % table.size()], i);
            EXPECT_EQ(row.mark, i % 2 ? RowMark::Error : RowMark::Note);
            EXPECT_EQ(row.countShown, i % 3 != 0);
            EXPECT_EQ(row.suffix, RowSuffix::ReadOnly);
        }
        handed.clear();
        rows.swap(handed);
    }
}

}  // namespace
}  // namespace brindle
