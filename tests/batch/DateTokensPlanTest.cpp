// The date tokens through a batch and the Preview's plan: one {now} for all items, and
// the items a token group gave no value warned of, counted, and renamed all the same.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlanFixture.h"
#include "TestTokens.h"

namespace brindle::testing {
namespace {

class DateTokensPlanTest : public PlanFixture {
protected:
    DateTokensPlanTest() { RegisterTestTokens(); }
};

TEST_F(DateTokensPlanTest, NowIsOneMomentForTheWholeBatch) {
    for (int i = 0; i < 40; ++i)
        temp.createFile("items/f" + std::to_string(i) + ".txt");
    settings().namePattern = u"{now:%Y%m%d%H%M%S%f}_/O";
    const Plan plan = PreviewItems();
    ASSERT_EQ(plan.items.size(), 40u);
    const std::u16string first =
        plan.items.front().newName.substr(0, plan.items.front().newName.find(u'_'));
    for (const PlanItem& item : plan.items)
        EXPECT_EQ(item.newName.substr(0, item.newName.find(u'_')), first);

    session.RunBatch(BatchSource::Folder(items()));
    ASSERT_EQ(host.rows.size(), 40u);
    const std::u16string batchNow =
        host.rows.front().output.substr(0, host.rows.front().output.find(u'_'));
    for (const Row& row : host.rows)
        EXPECT_EQ(row.output.substr(0, row.output.find(u'_')), batchNow);
}

TEST_F(DateTokensPlanTest, ItemsWithoutAValueAreWarnedOfAndRenamed) {
    temp.createFiles({"items/a.txt", "items/b.txt"});
    struct Row {
        const char* name;
        std::u16string pattern;
        std::vector<std::u16string> warnings;  // each item's, in order
        std::uint32_t warned;
    };
    const Row rows[] = {
        {"none/Alone",
         u"x{test.none}/O",
         {u"; warning: no value for {test.none}", u"; warning: no value for {test.none}"},
         2},
        {"none/TwoGroups",
         u"{test.none}{test.none|test.none}/1",
         {u"; warning: no value for {test.none}, {test.none|test.none}",
          u"; warning: no value for {test.none}, {test.none|test.none}"},
         2},
        {"fallback/HasAValue", u"{test.none|modified}/O", {u"", u""}, 0},
        // A text file has no date taken, which is said in those words.
        {"taken/Alone",
         u"{taken:%Y}/O",
         {u"; warning: no date taken", u"; warning: no date taken"},
         2},
        {"taken/AmongOthers",
         u"{test.none}{taken}{test.none|taken}/O",
         {u"; warning: no date taken; no value for {test.none}, {test.none|taken}",
          u"; warning: no date taken; no value for {test.none}, {test.none|taken}"},
         2},
        {"noCounter/BothWarnings",
         u"{test.none}x",
         {u"; warning: items of one folder get this name: the name pattern has no counter "
          u"(/0../9, /C); warning: no value for {test.none}",
          u"; warning: items of one folder get this name: the name pattern has no counter "
          u"(/0../9, /C); warning: no value for {test.none}"},
         2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        settings().namePattern = row.pattern;
        const Plan plan = PreviewItems();
        ASSERT_EQ(plan.items.size(), row.warnings.size());
        for (std::size_t i = 0; i < plan.items.size(); ++i)
            EXPECT_EQ(WarningsTextOf(plan.items[i]), row.warnings[i]);
        EXPECT_EQ(plan.summary.count(PlanWarning::NoValue), row.warned);
        const std::u16string summary = SummaryText(plan);
        EXPECT_EQ(summary.find(u"no value: ") != std::u16string::npos, row.warned != 0)
            << N(summary);
    }

    // A batch renames them with what it has, and says how many lacked a value.
    settings().namePattern = u"[{test.none}]/O";
    const BatchResult result = session.RunBatch(BatchSource::Folder(items()));
    EXPECT_EQ(result.itemsWithoutValue, 2u);
    EXPECT_EQ(listed("items"), (std::vector<std::string>{"[]a.txt", "[]b.txt"}));
    settings().namePattern = u"{test.disk}";
    EXPECT_EQ(session.RunBatch(BatchSource::Folder(items())).itemsWithoutValue, 0u);
}

}  // namespace
}  // namespace brindle::testing
