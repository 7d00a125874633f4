// The plan of a batch on real folders: each conflict kind, the preview's agreement with
// what apply then does, the changes planning brought (an item met once, the table read
// once), purity and cancellation.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BatchFixture.h"
#include "batch/BatchPlanner.h"
#include "batch/Messages.h"
#include "batch/PlanCheck.h"

namespace brindle::testing {
namespace {

class PlanCheckTest : public BatchFixture {
protected:
    Plan Preview(const BatchSource& source) {
        Plan plan;
        EXPECT_TRUE(PlanWhole(PlanRequest{source, options(), session.counters()}, plan));
        EXPECT_TRUE(plan.complete);
        return plan;
    }
    Plan PreviewItems() { return Preview(BatchSource::Folder(items())); }

    // The rows apply adds when the disk does not change after the plan.
    static std::vector<OutputRow> ForeseenRows(const Plan& plan) {
        std::vector<OutputRow> rows;
        for (const PlanItem& item : plan.items) {
            if (item.state == PlanState::FolderMovedAway)
                continue;
            OutputRow row = RowTextsOf(plan, item);
            if (item.state == PlanState::ReadOnly)
                row.output += kTextReadOnly;
            else if (IsConflict(item.state))
                row.output = kTextRenameFailed;
            rows.push_back(row);
        }
        return rows;
    }

    static std::vector<std::string> States(const Plan& plan) {
        std::vector<std::string> states;
        for (const PlanItem& item : plan.items)
            states.push_back(N(item.oldName) + " " + N(std::u16string(StateText(item.state))));
        return states;
    }
};

const std::string kRename = "rename";
const std::string kSame = "unchanged";
const std::string kTwo = "conflict: an earlier item takes the same new name";
const std::string kExists = "conflict: the new name exists";
const std::string kNotAName = "conflict: the new name cannot be a name";

struct ConflictCase {
    const char* name;
    std::vector<std::string> files;  // below items/
    std::function<void(RenameOptions&)> set;
    std::vector<std::string> states;  // "old name state", in batch order
    // The item whose conflict is with another, and that other, by index; -1: none.
    int conflicted = -1;
    int with = -1;
};

TEST_F(PlanCheckTest, EachConflictKindOnRealFolders) {
    const std::vector<ConflictCase> cases = {
        {"twoAimAtOneName",
         {"x1.txt", "x2.txt", "y.md"},
         [](RenameOptions& o) { o.namePattern = u"N"; },
         {"x1.txt " + kRename, "x2.txt " + kTwo, "y.md " + kRename},
         1,
         0},
        {"targetIsAnItemThatStays",
         {"A.txt", "a.txt"},
         [](RenameOptions& o) { o.conversionMode = 1; },
         {"A.txt " + kExists, "a.txt " + kSame},
         0,
         1},
        {"targetMovesAwayOnlyLater",
         {"x1.t", "x2.t"},
         [](RenameOptions& o) {
             o.namePattern = u"x/1";
             o.startIndex = 2;
         },
         {"x1.t " + kExists, "x2.t " + kRename},
         0,
         1},
        {"targetMovedAwayBefore",
         {"x1.t", "x2.t"},
         [](RenameOptions& o) { o.namePattern = u"x/1"; },
         {"x1.t " + kRename, "x2.t " + kRename}},
        {"targetIsASubfolder",
         {"Sub/", "sub"},
         [](RenameOptions& o) { o.conversionMode = 6; },
         {"sub " + kExists}},
        {"notANameEmpty",
         {"a", "b"},
         [](RenameOptions& o) {
             o.replaceWhat = u"a";
             o.replaceWith = u"";
         },
         {"a " + kNotAName, "b " + kSame}},
        {"notANameSlash",
         {"a.txt"},
         [](RenameOptions& o) {
             o.replaceWhat = u"a";
             o.replaceWith = u"../";
         },
         {"a.txt " + kNotAName}},
        {"notANameTooLong",
         {"a.txt"},
         [](RenameOptions& o) {
             o.replaceWhat = u"a";
             o.replaceWith = std::u16string(252, u'z');
         },
         {"a.txt " + kNotAName}},
        {"notANameBrokenSurrogate",
         {"\xF0\x9F\x98\x80"},
         [](RenameOptions& o) {
             o.replaceWhat = u"\xDE00";
             o.replaceWith = u"x";
         },
         {"\xF0\x9F\x98\x80 " + kNotAName}},
        {"onlyLogConflictsWithNothing",
         {"x1", "x2"},
         [](RenameOptions& o) {
             o.namePattern = u"N";
             o.onlyLog = true;
         },
         {"x1 Only Log: not renamed", "x2 Only Log: not renamed"}},
    };
    for (const ConflictCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        for (const std::string& file : c.files)
            folder.createFile("items/" + file);
        RecordingHost caseHost;
        RenameSession caseSession(caseHost);
        c.set(caseSession.options());
        Plan plan;
        ASSERT_TRUE(PlanWhole(PlanRequest{BatchSource::Folder(folder.folder("items")),
                                          caseSession.options(), caseSession.counters()},
                              plan));
        EXPECT_EQ(States(plan), c.states);
        if (c.conflicted >= 0) {
            EXPECT_EQ(plan.items.at(static_cast<std::size_t>(c.conflicted)).other,
                      static_cast<std::uint32_t>(c.with));
        }
        // Apply does what the plan foresaw.
        const std::vector<std::string> before = folder.listing();
        caseSession.RunFolderBatch(folder.folder("items"));
        EXPECT_EQ(caseHost.rows.rows(), ForeseenRows(plan));
        if (plan.summary.count(PlanState::Rename) == 0) {
            EXPECT_EQ(folder.listing(), before);
        }
    }
}

TEST_F(PlanCheckTest, ReadOnlyWithReadOnlyOn) {
    temp.createFiles({"items/A.txt", "items/B.txt"});
    setReadOnly("items/A.txt");
    options().conversionMode = 1;
    options().skipReadOnly = true;
    const Plan plan = PreviewItems();
    EXPECT_EQ(States(plan), (std::vector<std::string>{"A.txt conflict: read-only, and \"Read "
                                                      "Only\" is on",
                                                      "B.txt " + kRename}));
    session.RunFolderBatch(items());
    EXPECT_EQ(host.rows.rows(), ForeseenRows(plan));
    // Without the option a read-only file is renamed like any other.
    options().skipReadOnly = false;
    EXPECT_EQ(States(PreviewItems()),
              (std::vector<std::string>{"A.txt " + kRename, "b.txt " + kSame}));
}

TEST_F(PlanCheckTest, TheFileMoverTargetIsThePlannedParent) {
    temp.createFiles({"items/sub/Setup.EXE", "items/sub/keep.txt", "items/setup.exe"});
    options().conversionMode = 1;
    options().fileTypes = u".EXE";
    const Plan plan = Preview(BatchSource::Folder(temp.folder("items/sub")));
    ASSERT_EQ(plan.items.size(), 2u);
    EXPECT_EQ(plan.items[0].state, PlanState::Unchanged);
    EXPECT_EQ(N(plan.items[1].oldName), "Setup.EXE");
    EXPECT_EQ(plan.newFolderOf(plan.items[1]), items());
    EXPECT_EQ(plan.items[1].state, PlanState::TargetExists);
    session.RunFolderBatch(temp.folder("items/sub"));
    EXPECT_EQ(host.rows.rows(), ForeseenRows(plan));
    EXPECT_TRUE(temp.exists("items/sub/Setup.EXE"));
}

TEST_F(PlanCheckTest, DroppedPathsThatAreNotThereOrWhoseFolderMovesFirst) {
    temp.createFiles({"items/D/E/x", "items/f"});
    options().conversionMode = 1;
    options().renameDirs = true;
    const std::u16string base = items();
    const BatchSource drop =
        BatchSource::Drop({base + u"gone.TXT", base + u"f", base + u"D", base + u"D/E"});
    const Plan plan = Preview(drop);
    EXPECT_EQ(States(plan), (std::vector<std::string>{
                                "gone.TXT conflict: not found", "f " + kSame, "D " + kRename,
                                "E conflict: a folder above it is renamed first"}));
    // The folder E is passed over once D has become d: it has no row.
    session.RunBatch(drop);
    EXPECT_EQ(host.rows.rows(), ForeseenRows(plan));
    EXPECT_TRUE(temp.exists("items/d/E/x"));
}

TEST_F(PlanCheckTest, PreviewAgreesWithApplyAlsoAfterOnlyLog) {
    temp.createFiles({"items/Photo 10.JPG", "items/Photo 9.JPG", "items/photo 9.jpg",
                      "items/Notes.TXT", "items/sub/Inner.JPG", "items/sub/deep/Deep.JPG"});
    options().conversionMode = 1;
    options().namePattern = u"/O-/2";
    options().startIndex = 7;
    options().countSymbols = true;
    options().scanSubfolders = true;
    options().writeLogFile = true;

    // First a batch with "Only Log": the same rows, and the counters go on.
    options().onlyLog = true;
    const Plan dry = PreviewItems();
    EXPECT_EQ(dry.summary.count(PlanState::OnlyLog), 6u);
    const std::vector<std::string> before = temp.listing();
    session.RunFolderBatch(items());
    EXPECT_EQ(host.rows.rows(), ForeseenRows(dry));
    EXPECT_EQ(options().startIndex, 13);

    // Then for real, from where the counters stand now.
    options().onlyLog = false;
    host.rows.Clear();
    const Plan real = PreviewItems();
    EXPECT_EQ(real.items.front().startIndex, 14);
    EXPECT_EQ(real.summary.conflicts, 0u);
    session.RunFolderBatch(items());
    EXPECT_EQ(host.rows.rows(), ForeseenRows(real));
    for (const PlanItem& item : real.items) {
        EXPECT_TRUE(
            temp.exists(N(real.newFolderOf(item).substr(temp.folder().size()) + item.newName)));
    }
    EXPECT_NE(temp.listing(), before);
    // The preview of the batch that would come next starts where this one ended.
    EXPECT_EQ(PreviewItems().items.front().startIndex, 20);
}

TEST_F(PlanCheckTest, ResetCountersPreviewStartsAtZeroAndNeverAdvancesTheSession) {
    temp.createFiles({"items/a.t", "items/b.t"});
    options().namePattern = u"/O/1/C";
    options().startIndex = 5;
    session.setLetterCounter(u'q');
    EXPECT_EQ(N(PreviewItems().items[0].newName), "a5q.t");
    options().resetCounters = true;
    const Plan plan = PreviewItems();
    EXPECT_EQ(N(plan.items[0].newName), "a0a.t");
    EXPECT_EQ(N(plan.items[1].newName), "b1b.t");
    EXPECT_EQ(options().startIndex, 5);
    EXPECT_EQ(session.letterCounter(), u'q');
}

// Planning renames nothing, writes no log, shows nothing: a preview is pure.
TEST_F(PlanCheckTest, PlanningIsPure) {
    temp.createFiles({"items/A.TXT", "items/sub/B.EXE"});
    options().conversionMode = 1;
    options().writeLogFile = true;
    options().scanSubfolders = true;
    options().fileTypes = u".exe";
    options().onlyEnglish = true;
    options().iniFileName = temp.folder() + u"missing.ini";
    const std::vector<std::string> before = temp.listing();
    const Plan plan = PreviewItems();
    EXPECT_EQ(temp.listing(), before);
    EXPECT_FALSE(logExists());
    EXPECT_TRUE(host.calls.empty());
    // A table that cannot be opened is in the plan, for the summary line.
    EXPECT_TRUE(plan.tableFailed);
    EXPECT_NE(SummaryText(plan).find(u"Error opening file: " + options().iniFileName),
              std::u16string::npos);
    EXPECT_TRUE(options().onlyEnglish);
}

TEST_F(PlanCheckTest, CancelledBetweenItems) {
    for (int i = 0; i < 50; ++i)
        temp.createFile("items/f" + std::to_string(i));
    Plan plan;
    int asked = 0;
    std::size_t partialSize = 0;
    const bool done = PlanWhole(
        PlanRequest{BatchSource::Folder(items()), options(), session.counters()}, plan,
        [&] { return ++asked > 20; }, 10,
        [&](const Plan& sofar) { partialSize = sofar.items.size(); });
    EXPECT_FALSE(done);
    EXPECT_FALSE(plan.complete);
    EXPECT_EQ(partialSize, 10u);
    EXPECT_LE(plan.items.size(), 21u);
}

// The intended change: an item is met once, also where a dropped subfolder comes before
// its parent and the file mover has filled the parent meanwhile.
TEST_F(PlanCheckTest, DroppedSubfolderThenItsParentMeetEveryItemOnce) {
    temp.createFiles({"items/sub/a.exe", "items/sub/b.txt", "items/c.txt"});
    options().scanSubfolders = true;
    options().fileTypes = u".exe";
    options().namePattern = u"/O-/1";
    const BatchSource drop = BatchSource::Drop({temp.folder("items/sub"), items()});
    const Plan plan = Preview(drop);
    session.RunBatch(drop);
    EXPECT_EQ(host.rows.rows(), ForeseenRows(plan));
    EXPECT_EQ(session.stats().totalFiles, 3);
    EXPECT_EQ(temp.listing(),
              (std::vector<std::string>{"items/", "items/a-0.exe", "items/c-2.txt", "items/sub/",
                                        "items/sub/b-1.txt", "prog/"}));
    // A path dropped twice, and a file dropped beside its folder, are met once as well.
    host.rows.Clear();
    options().namePattern.clear();
    options().conversionMode = 5;
    session.RunDropBatch({items() + u"c-2.txt", items() + u"c-2.txt", items()});
    EXPECT_EQ(host.column(kColumnInput),
              (std::vector<std::u16string>{u"c-2.txt", u"a-0.exe", u"b-1.txt"}));
}

// A preview reads the table without taking it, so that it can never make the read of a
// batch that starts meanwhile fail; another holder of the file does not hide it either.
TEST_F(PlanCheckTest, APreviewNeverHoldsTheTable) {
    temp.createFile("Brindle.ini", "[custom]\na|b\n");
    temp.createFiles({"items/a"});
    options().onlyEnglish = true;
    options().filterMethod = u"Custom";
    options().iniFileName = temp.folder() + u"Brindle.ini";
    {
        LockHolder other((temp.path() / "Brindle.ini").string());
        ASSERT_TRUE(other.locked());
        const Plan plan = PreviewItems();
        EXPECT_FALSE(plan.tableFailed);
        EXPECT_EQ(N(plan.items.at(0).newName), "b");
    }
}

// The intended change: the replacement table is read once per batch, before its first
// item; an edit of the file during the batch does not take effect midway.
TEST_F(PlanCheckTest, TheReplacementTableIsReadOncePerBatch) {
    temp.createFile("Brindle.ini", "[custom]\na|1\n");
    temp.createFiles({"items/a1", "items/a2"});
    options().onlyEnglish = true;
    options().filterMethod = u"Custom";
    options().iniFileName = temp.folder() + u"Brindle.ini";
    host.afterRow = [this](const OutputRow&) {
        if (host.rows.size() == 1)
            temp.createFile("Brindle.ini", "[custom]\na|2\n");
    };
    session.RunFolderBatch(items());
    EXPECT_EQ(host.column(kColumnOutput), (std::vector<std::u16string>{u"11", u"12"}));
    // The next batch reads it anew.
    host.afterRow = nullptr;
    temp.createFiles({"items/a3"});
    session.RunFolderBatch(items());
    EXPECT_EQ(host.rows.rows().back().output, u"23");
}

}  // namespace
}  // namespace brindle::testing
