// Regular expressions through the plan and the batch on real folders: a mistake plans and
// renames nothing, a match past the limits is its item's conflict while the batch goes on,
// and the Preview foresees what apply does.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlanFixture.h"

namespace brindle::testing {
namespace {

class RegexPlanTest : public PlanFixture {
protected:
    RegexPlanTest() {
        settings().regularExpression = true;
        settings().writeLogFile = true;
    }

    static std::vector<std::string> States(const Plan& plan) {
        std::vector<std::string> states;
        for (const PlanItem& item : plan.items) {
            states.push_back(N(item.oldName) + " -> " + N(item.newName) + " " +
                             N(std::u16string(StateText(item.state))));
        }
        return states;
    }
};

TEST_F(RegexPlanTest, MistakesPlanAndRenameNothing) {
    struct Case {
        const char* name;
        std::u16string what, with;
        bool onlyEnglish;  // its table missing: the replace pair applies after all
        std::u16string summary;
    };
    const Case cases[] = {
        {"expression", u"^(IMG", u"x", false,
         u"The regular expression \"^(IMG\u25B8\" has a mistake at \u25B8: missing closing "
         u"parenthesis."},
        {"missingGroup", u"^IMG_(\\d+)", u"P-$2", false,
         u"The replacement \"P-\u25B8$2\" has a mistake at \u25B8: no group 2."},
        {"withoutTheTable", u"(", u"", true,
         u"The regular expression \"(\u25B8\" has a mistake at \u25B8: missing closing "
         u"parenthesis."},
    };
    temp.createFiles({"items/IMG_1.jpg", "items/IMG_2.jpg"});
    const std::vector<std::string> before = temp.listing();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings().replaceWhat = c.what;
        settings().replaceWith = c.with;
        settings().onlyEnglish = c.onlyEnglish;
        settings().filterMethod = u"English";
        settings().startIndex = 3;
        host.calls.clear();
        const Plan plan = PreviewItems();
        EXPECT_TRUE(plan.items.empty());
        ASSERT_TRUE(plan.regexError);
        EXPECT_EQ(SummaryText(plan), c.summary);

        const BatchResult result = session.RunFolderBatch(items());
        EXPECT_EQ(result.outcome, BatchOutcome::RegexMistake);
        EXPECT_EQ(result.regexError, plan.regexError);
        EXPECT_EQ(temp.listing(), before);
        EXPECT_EQ(settings().startIndex, 3);
        EXPECT_TRUE(host.rows.empty());
        if (!c.onlyEnglish) {
            // Refused before anything: not even a message.
            EXPECT_TRUE(host.calls.empty());
            EXPECT_FALSE(session.LogExists());
        }
    }
}

TEST_F(RegexPlanTest, TooLongIsTheItemsConflictAndTheBatchGoesOn) {
    const std::string slow = std::string(120, 'a') + "!";
    temp.createFiles({"items/" + slow, "items/b1", "items/c/2"});
    // A name of a's and no end: the group's ways of splitting them are tried one by one.
    settings().replaceWhat = u"(a+)+$|(\\d)";
    settings().replaceWith = u"x$2";
    const Plan plan = PreviewItems();
    EXPECT_EQ(States(plan),
              (std::vector<std::string>{
                  slow + " -> " + slow + " conflict: the regular expression took too long",
                  "b1 -> bx1 rename"}));
    EXPECT_EQ(SummaryText(plan),
              u"Items: 2 | To rename: 1 | Unchanged: 0 | Conflicts: 1 "
              u"(regular expression too long: 1)");

    // "Only Log" renames nothing, and the item fails all the same.
    settings().onlyLog = true;
    const Plan dry = PreviewItems();
    session.RunFolderBatch(items());
    EXPECT_EQ(host.rows, ForeseenRows(dry));

    settings().onlyLog = false;
    host.rows.clear();
    const Plan real = PreviewItems();
    const BatchResult result = session.RunFolderBatch(items());
    EXPECT_EQ(result.outcome, BatchOutcome::Completed);
    EXPECT_EQ(host.rows, ForeseenRows(real));
    ASSERT_EQ(host.rows.size(), 2u);
    EXPECT_EQ(host.rows[0].reason, u"the regular expression took too long");
    EXPECT_TRUE(temp.exists("items/" + slow));
    EXPECT_TRUE(temp.exists("items/bx1"));
    EXPECT_FALSE(temp.exists("items/b1"));
}

TEST_F(RegexPlanTest, ResultsThatAreNoNames) {
    temp.createFiles({"items/a b", "items/ab", "items/c"});
    settings().replaceWhat = u"(.) (.)|^c$|b";
    settings().replaceWith = u"$1/$2";
    const Plan plan = PreviewItems();
    EXPECT_EQ(States(plan),
              (std::vector<std::string>{"a b -> a/b conflict: the new name cannot be a name",
                                        "ab -> a/ conflict: the new name cannot be a name",
                                        "c -> / conflict: the new name cannot be a name"}));
    session.RunFolderBatch(items());
    EXPECT_EQ(host.rows, ForeseenRows(plan));
}

TEST_F(RegexPlanTest, WithoutTheExtensionAndAfterTheCase) {
    temp.createFiles({"items/IMG_0042.JPG", "items/img_7.Jpg", "items/other.JPG"});
    settings().conversionMode = 1;
    settings().withoutExtension = true;
    settings().replaceWhat = u"^img_(\\d+)$";
    settings().replaceWith = u"Photo-\\U$1x";
    const Plan plan = PreviewItems();
    // In natural order: 7 before 42.
    EXPECT_EQ(States(plan), (std::vector<std::string>{"img_7.Jpg -> Photo-7X.Jpg rename",
                                                      "IMG_0042.JPG -> Photo-0042X.JPG rename",
                                                      "other.JPG -> other.JPG unchanged"}));
    session.RunFolderBatch(items());
    EXPECT_EQ(host.rows, ForeseenRows(plan));
    EXPECT_TRUE(temp.exists("items/Photo-0042X.JPG"));
}

}  // namespace
}  // namespace brindle::testing
