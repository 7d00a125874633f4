// The Preview's plan of a batch in a chosen order and with filters, against the batch
// itself: the same items in the same order with the same numbers, the items left out
// noted, each item's details, and a mistake in the options that stops both.
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "PhotoFileBytes.h"
#include "PlanFixture.h"
#include "engine/SelectionCheck.h"

namespace brindle::testing {
namespace {

class OrderPlanTest : public PlanFixture {
protected:
    // A file of `size` bytes modified `seconds` after 2023-11-14 22:13:20 UTC.
    void MakeFile(const std::string& relative, std::size_t size, long seconds = 0) {
        temp.createFile("items/" + relative, std::string(size, 'x'));
        const timespec times[2] = {{0, UTIME_OMIT}, {1700000000 + seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, (temp.path() / "items" / relative).c_str(), times, 0), 0);
    }
};

TEST_F(OrderPlanTest, ThePreviewShowsWhatTheBatchDoes) {
    MakeFile("a.jpg", 3, 30);
    MakeFile("b.txt", 5, 50);
    MakeFile("s/c.jpg", 1, 10);
    MakeFile("s/d.JPG", 2, 20);
    MakeFile("s/e.png", 4, 40);
    settings().order = NameOrder::Size;
    settings().acrossFolders = true;
    settings().scanSubfolders = true;
    settings().include = u"*.jpg";
    settings().namePattern = u"{n}_/O";
    const Plan plan = PreviewItems();
    std::vector<std::u16string> named;
    for (const PlanItem& item : plan.items)
        named.push_back(plan.folderOf(item) + item.newName);
    EXPECT_EQ(named, (std::vector<std::u16string>{items() + u"s/1_c.jpg", items() + u"s/2_d.JPG",
                                                  items() + u"3_a.jpg"}));
    ASSERT_EQ(plan.details.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(plan.details[i].hasSize);
        EXPECT_EQ(plan.details[i].size, i + 1);
        EXPECT_EQ(plan.details[i].modified.seconds, 1700000000 + 10 * (static_cast<long>(i) + 1));
        EXPECT_EQ(plan.details[i].taken, u"");
    }
    EXPECT_FALSE(plan.showsTaken);
    std::vector<std::u16string> skipped;
    for (const PlanSkipped& left : plan.skipped)
        skipped.push_back(plan.folders[left.folder].path + left.name);
    std::sort(skipped.begin(), skipped.end());
    EXPECT_EQ(skipped, (std::vector<std::u16string>{items() + u"b.txt", items() + u"s/e.png"}));
    EXPECT_EQ(plan.summary.skipped, 2u);
    EXPECT_NE(SummaryText(plan).find(u" | Skipped: 2"), std::u16string::npos);

    settings().writeLogFile = true;
    const BatchResult result = session.RunBatch(BatchSource::Folder(items()));
    EXPECT_EQ(result.outcome, BatchOutcome::Completed);
    // Only what was renamed is logged.
    std::vector<std::u16string> logged;
    for (const LogRecord& record : logRecords())
        logged.push_back(record.oldName);
    EXPECT_EQ(logged, (std::vector<std::u16string>{u"c.jpg", u"d.JPG", u"a.jpg"}));
    EXPECT_EQ(host.rows, ForeseenRows(plan));
    EXPECT_EQ(temp.listing(),
              (std::vector<std::string>{"items/", "items/3_a.jpg", "items/b.txt", "items/s/",
                                        "items/s/1_c.jpg", "items/s/2_d.JPG", "items/s/e.png",
                                        "prog/", "prog/Brindle.log"}));
}

// The date taken is among the details when the order reads it, though the pattern does not.
TEST_F(OrderPlanTest, TheDetailsHoldTheDateTakenWhenTheOrderReadsIt) {
    PhotoWith(temp, "items/late.jpg", {{"Exif.Photo.DateTimeOriginal", "2024:05:06 07:08:09"}});
    PhotoWith(temp, "items/early.jpg", {{"Exif.Photo.DateTimeOriginal", "2021:01:02 03:04:05"}});
    WriteBytes((temp.path() / "items/none.jpg").string(), TinyJpeg());
    settings().order = NameOrder::Taken;
    settings().reverseOrder = true;
    settings().namePattern = u"/1";
    const Plan plan = PreviewItems();
    EXPECT_TRUE(plan.showsTaken);
    ASSERT_EQ(plan.items.size(), 3u);
    const std::vector<std::u16string> old = {plan.items[0].oldName, plan.items[1].oldName,
                                             plan.items[2].oldName};
    EXPECT_EQ(old, (std::vector<std::u16string>{u"late.jpg", u"early.jpg", u"none.jpg"}));
    EXPECT_EQ(plan.details[0].taken, u"2024-05-06 07:08:09");
    EXPECT_EQ(plan.details[1].taken, u"2021-01-02 03:04:05");
    EXPECT_EQ(plan.details[2].taken, u"");
}

TEST_F(OrderPlanTest, AMistakeInTheOptionsStopsThePreviewAndTheBatch) {
    temp.createFiles({"items/a.txt"});
    settings().namePattern = u"x/1";
    struct Row {
        const char* name;
        std::u16string include, exclude, order;
    };
    const Row rows[] = {
        {"include", u"*.txt;[a", u"", u""},
        {"exclude", u"", u"re:(", u""},
        {"order", u"", u"", u"{taken}/1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        settings().include = row.include;
        settings().exclude = row.exclude;
        settings().order = row.order.empty() ? NameOrder::Natural : NameOrder::Expression;
        settings().orderExpression = row.order;
        const std::optional<std::u16string> mistake = SelectionMistake(settings());
        ASSERT_TRUE(mistake.has_value());
        Plan plan;
        PlanWhole(PlanRequest{BatchSource::Folder(items()), settings(), session.NextCounters(),
                              session.configFile()},
                  plan);
        EXPECT_EQ(plan.optionMistake, mistake);
        EXPECT_TRUE(plan.items.empty());
        const BatchResult result = session.RunBatch(BatchSource::Folder(items()));
        EXPECT_EQ(result.outcome, BatchOutcome::OptionMistake);
        EXPECT_EQ(result.optionMistake, mistake);
        EXPECT_TRUE(host.rows.empty());
        EXPECT_EQ(temp.listing(), (std::vector<std::string>{"items/", "items/a.txt", "prog/"}));
    }
}

}  // namespace
}  // namespace brindle::testing
