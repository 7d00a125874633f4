// The checked plan of a batch on real folders: each conflict kind, and the preview's
// agreement with what apply then does.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlanFixture.h"
#include "TestTokens.h"

namespace brindle::testing {
namespace {

class PlanCheckTest : public PlanFixture {
protected:
    static std::vector<std::string> States(const Plan& plan) {
        std::vector<std::string> states;
        for (const PlanItem& item : plan.items)
            states.push_back(N(item.oldName) + " " + N(std::u16string(StateText(item.state))));
        return states;
    }

    // `files` made below items/ in `folder`, `session` set by `set`, and the batch over
    // items/ planned whole, as the Preview plans it.
    static Plan PlanInFolder(TempFolder& folder, const std::vector<std::string>& files,
                             RenameSession& session,
                             const std::function<void(RenameSettings&)>& set) {
        for (const std::string& file : files)
            folder.createFile("items/" + file);
        set(session.settings());
        Plan plan;
        EXPECT_TRUE(
            PlanWhole(PlanRequest{BatchSource::Folder(folder.folder("items")), session.settings(),
                                  session.NextCounters(), session.configFile()},
                      plan));
        return plan;
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
    std::function<void(RenameSettings&)> set;
    std::vector<std::string> states;  // "old name state", in batch order
    // The item whose conflict is with another, and that other, by index; -1: none.
    int conflicted = -1;
    int with = -1;
};

TEST_F(PlanCheckTest, EachConflictKindOnRealFolders) {
    const std::vector<ConflictCase> cases = {
        {"twoAimAtOneName",
         {"x1.txt", "x2.txt", "y.md"},
         [](RenameSettings& o) { o.namePattern = u"N"; },
         {"x1.txt " + kRename, "x2.txt " + kTwo, "y.md " + kRename},
         1,
         0},
        {"targetIsAnItemThatStays",
         {"A.txt", "a.txt"},
         [](RenameSettings& o) { o.conversionMode = 1; },
         {"A.txt " + kExists, "a.txt " + kSame},
         0,
         1},
        {"targetMovesAwayOnlyLater",
         {"x1.t", "x2.t"},
         [](RenameSettings& o) {
             o.namePattern = u"x/1";
             o.startIndex = 2;
         },
         {"x1.t " + kExists, "x2.t " + kRename},
         0,
         1},
        {"targetMovedAwayBefore",
         {"x1.t", "x2.t"},
         [](RenameSettings& o) { o.namePattern = u"x/1"; },
         {"x1.t " + kRename, "x2.t " + kRename}},
        {"targetIsASubfolder",
         {"Sub/", "sub"},
         [](RenameSettings& o) { o.conversionMode = 6; },
         {"sub " + kExists}},
        {"notANameEmpty",
         {"a", "b"},
         [](RenameSettings& o) {
             o.replaceWhat = u"a";
             o.replaceWith = u"";
         },
         {"a " + kNotAName, "b " + kSame}},
        {"notANameSlash",
         {"a.txt"},
         [](RenameSettings& o) {
             o.replaceWhat = u"a";
             o.replaceWith = u"../";
         },
         {"a.txt " + kNotAName}},
        {"notANameTooLong",
         {"a.txt"},
         [](RenameSettings& o) {
             o.replaceWhat = u"a";
             o.replaceWith = std::u16string(252, u'z');
         },
         {"a.txt " + kNotAName}},
        {"notANameBrokenSurrogate",
         {"\xF0\x9F\x98\x80"},
         [](RenameSettings& o) {
             o.replaceWhat = u"\xDE00";
             o.replaceWith = u"x";
         },
         {"\xF0\x9F\x98\x80 " + kNotAName}},
        {"onlyLogConflictsWithNothing",
         {"x1", "x2"},
         [](RenameSettings& o) {
             o.namePattern = u"N";
             o.onlyLog = true;
         },
         {"x1 Only Log: not renamed", "x2 Only Log: not renamed"}},
    };
    for (const ConflictCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        RecordingHost caseHost;
        RenameSession caseSession(caseHost);
        const Plan plan = PlanInFolder(folder, c.files, caseSession, c.set);
        EXPECT_EQ(States(plan), c.states);
        if (c.conflicted >= 0) {
            EXPECT_EQ(plan.items.at(static_cast<std::size_t>(c.conflicted)).other,
                      static_cast<std::uint32_t>(c.with));
        }
        // Apply does what the plan foresaw.
        const std::vector<std::string> before = folder.listing();
        caseSession.RunFolderBatch(folder.folder("items"));
        EXPECT_EQ(caseHost.rows, ForeseenRows(plan));
        if (plan.summary.count(PlanState::Rename) == 0) {
            EXPECT_EQ(folder.listing(), before);
        }
    }
}

TEST_F(PlanCheckTest, ReadOnlyWithReadOnlyOn) {
    temp.createFiles({"items/A.txt", "items/B.txt"});
    setReadOnly("items/A.txt");
    settings().conversionMode = 1;
    settings().skipReadOnly = true;
    const Plan plan = PreviewItems();
    EXPECT_EQ(States(plan), (std::vector<std::string>{"A.txt conflict: read-only, and \"Read "
                                                      "Only\" is on",
                                                      "B.txt " + kRename}));
    session.RunFolderBatch(items());
    EXPECT_EQ(host.rows, ForeseenRows(plan));
    // Without the option a read-only file is renamed like any other.
    settings().skipReadOnly = false;
    EXPECT_EQ(States(PreviewItems()),
              (std::vector<std::string>{"A.txt " + kRename, "b.txt " + kSame}));
}

TEST_F(PlanCheckTest, TheFileMoverTargetIsThePlannedParent) {
    temp.createFiles({"items/sub/Setup.EXE", "items/sub/keep.txt", "items/setup.exe"});
    settings().conversionMode = 1;
    settings().fileTypes = u".EXE";
    const Plan plan = Preview(BatchSource::Folder(temp.folder("items/sub")));
    ASSERT_EQ(plan.items.size(), 2u);
    EXPECT_EQ(plan.items[0].state, PlanState::Unchanged);
    EXPECT_EQ(N(plan.items[1].oldName), "Setup.EXE");
    EXPECT_EQ(plan.newFolderOf(plan.items[1]), items());
    EXPECT_EQ(plan.items[1].state, PlanState::TargetExists);
    session.RunFolderBatch(temp.folder("items/sub"));
    EXPECT_EQ(host.rows, ForeseenRows(plan));
    EXPECT_TRUE(temp.exists("items/sub/Setup.EXE"));
}

TEST_F(PlanCheckTest, DroppedPathsThatAreNotThereOrWhoseFolderMovesFirst) {
    temp.createFiles({"items/D/E/x", "items/f"});
    settings().conversionMode = 1;
    settings().renameDirs = true;
    const std::u16string base = items();
    const BatchSource drop =
        BatchSource::Drop({base + u"gone.TXT", base + u"f", base + u"D", base + u"D/E"});
    const Plan plan = Preview(drop);
    EXPECT_EQ(States(plan), (std::vector<std::string>{
                                "gone.TXT conflict: not found", "f " + kSame, "D " + kRename,
                                "E conflict: a folder above it is renamed first"}));
    // The folder E is passed over once D has become d: it has no row.
    session.RunBatch(drop);
    EXPECT_EQ(host.rows, ForeseenRows(plan));
    EXPECT_TRUE(temp.exists("items/d/E/x"));
}

TEST_F(PlanCheckTest, PreviewAgreesWithApplyAlsoAfterOnlyLog) {
    temp.createFiles({"items/Photo 10.JPG", "items/Photo 9.JPG", "items/photo 9.jpg",
                      "items/Notes.TXT", "items/sub/Inner.JPG", "items/sub/deep/Deep.JPG"});
    settings().conversionMode = 1;
    settings().namePattern = u"/O-/2";
    settings().startIndex = 7;
    settings().countSymbols = true;
    settings().scanSubfolders = true;
    settings().writeLogFile = true;

    // First a batch with "Only Log": the same rows, and the counters go on.
    settings().onlyLog = true;
    const Plan dry = PreviewItems();
    EXPECT_EQ(dry.summary.count(PlanState::OnlyLog), 6u);
    const std::vector<std::string> before = temp.listing();
    session.RunFolderBatch(items());
    EXPECT_EQ(host.rows, ForeseenRows(dry));
    EXPECT_EQ(settings().startIndex, 13);

    // Then for real, from where the counters stand now.
    settings().onlyLog = false;
    host.rows.clear();
    const Plan real = PreviewItems();
    EXPECT_EQ(real.items.front().startIndex, 14);
    EXPECT_EQ(real.summary.conflicts, 0u);
    session.RunFolderBatch(items());
    EXPECT_EQ(host.rows, ForeseenRows(real));
    for (const PlanItem& item : real.items) {
        EXPECT_TRUE(
            temp.exists(N(real.newFolderOf(item).substr(temp.folder().size()) + item.newName)));
    }
    EXPECT_NE(temp.listing(), before);
    // The preview of the batch that would come next starts where this one ended.
    EXPECT_EQ(PreviewItems().items.front().startIndex, 20);
}

const std::string kHidden =
    "; warning: the new name is hidden, nothing left of it but the extension";
const std::string kNoCounter =
    "; warning: items of one folder get this name: the name pattern has no counter (/0../9, /C)";

struct WarningCase {
    const char* name;
    std::vector<std::string> files;  // below items/
    std::function<void(RenameSettings&)> set;
    std::vector<std::string> states;  // "old name state; warnings", in batch order
};

// Warnings beside the states: the check marks them, the conflicts stay what they are, and
// apply renames a warned item as any other.
TEST_F(PlanCheckTest, WarningsBesideTheStates) {
    const auto pattern = [](std::u16string text) {
        return [text](RenameSettings& o) { o.namePattern = text; };
    };
    // 27 items for the running letter: the last one is given 'a' again.
    std::vector<std::string> alphabet;
    std::vector<std::string> wrapped;
    for (char c = 'a'; c <= 'z'; ++c) {
        alphabet.push_back(std::string("f") + c + ".t");
        wrapped.push_back(alphabet.back() + " " + kRename);
    }
    alphabet.push_back("zz.t");
    wrapped.push_back("zz.t " + kTwo);

    const std::vector<WarningCase> cases = {
        {"patternOnlySlash",
         {"notes.txt", "photo.jpg", "README"},
         pattern(u"/"),
         {"notes.txt " + kRename + kHidden, "photo.jpg " + kRename + kHidden, "README " + kSame}},
        {"cutToTheExtension",
         {"photo.jpg", "photo.tar.gz", "xphoto.jpg"},
         [](RenameSettings& o) {
             o.replaceWhat = u"photo";
             o.replaceWith = u"";
         },
         {"photo.jpg " + kRename + kHidden, "photo.tar.gz " + kRename, "xphoto.jpg " + kRename}},
        {"hiddenAlreadyOrOnlyADot",
         {".Config", "a."},
         [](RenameSettings& o) {
             o.conversionMode = 1;
             o.replaceWhat = u"a";
             o.replaceWith = u"";
         },
         {".Config " + kRename, "a. " + kNotAName}},
        {"oneNameWithoutACounter",
         {"x1.txt", "x2.txt", "x3.txt", "y.md"},
         pattern(u"N"),
         {"x1.txt " + kRename + kNoCounter, "x2.txt " + kTwo + kNoCounter,
          "x3.txt " + kTwo + kNoCounter, "y.md " + kRename}},
        {"oneNameHeldByAnItemThatKeepsIt",
         {"a.jpg", "photo.jpg"},
         pattern(u"photo"),
         {"a.jpg " + kExists + kNoCounter, "photo.jpg " + kSame + kNoCounter}},
        {"bothAtOnce",
         {"a.jpg", "b.jpg"},
         pattern(u"/"),
         {"a.jpg " + kRename + kHidden + kNoCounter, "b.jpg " + kTwo + kHidden + kNoCounter}},
        {"aCounterThatWrapsIsStillOne", alphabet, pattern(u"/C"), wrapped},
        {"noPatternNoCounterWarning",
         {"A.txt", "a.txt"},
         [](RenameSettings& o) { o.conversionMode = 1; },
         {"A.txt " + kExists, "a.txt " + kSame}},
        {"onlyLogRenamesNothing",
         {"x1", "x2"},
         [](RenameSettings& o) {
             o.namePattern = u"N";
             o.onlyLog = true;
         },
         {"x1 Only Log: not renamed", "x2 Only Log: not renamed"}},
        {"eachFolderItsOwnName",
         {"a.txt", "sub/b.txt"},
         [](RenameSettings& o) {
             o.namePattern = u"N";
             o.scanSubfolders = true;
         },
         {"a.txt " + kRename, "b.txt " + kRename}},
    };
    for (const WarningCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        RecordingHost caseHost;
        RenameSession caseSession(caseHost);
        const Plan plan = PlanInFolder(folder, c.files, caseSession, c.set);
        std::vector<std::string> states;
        std::uint32_t warned = 0;
        for (const PlanItem& item : plan.items) {
            states.push_back(N(item.oldName) + " " + N(std::u16string(StateText(item.state))) +
                             N(WarningsTextOf(item)));
            if (item.warnings != 0)
                ++warned;
        }
        EXPECT_EQ(states, c.states);
        EXPECT_EQ(plan.summary.warnings, warned);
        // Warned items are renamed as the plan foresaw, conflicts fail as always.
        caseSession.RunFolderBatch(folder.folder("items"));
        EXPECT_EQ(caseHost.rows, ForeseenRows(plan));
    }
}

TEST_F(PlanCheckTest, TheSummaryCountsTheWarnings) {
    temp.createFiles({"items/a.jpg", "items/b.jpg", "items/c.png"});
    settings().namePattern = u"/";
    const Plan plan = PreviewItems();
    EXPECT_EQ(plan.summary.count(PlanWarning::Hidden), 3u);
    EXPECT_EQ(plan.summary.count(PlanWarning::NoCounter), 2u);
    EXPECT_EQ(SummaryText(plan),
              u"Items: 3 | To rename: 2 | Unchanged: 0 | Conflicts: 1 (same new name: 1) | "
              u"Warnings: 3 (hidden: 3, one name, no counter: 2)");
    // Without any, the summary does not speak of warnings.
    settings().namePattern = u"/1";
    EXPECT_EQ(SummaryText(PreviewItems()),
              u"Items: 3 | To rename: 3 | Unchanged: 0 | Conflicts: 0");
}

// A pattern with a mistake plans no item, and the summary is the mistake; a batch run
// with it all the same does not begin: nothing renamed, logged or cleared, the counters
// where they were.
TEST_F(PlanCheckTest, APatternWithAMistakePlansNothing) {
    RegisterTestTokens();
    temp.createFiles({"items/A.TXT", "items/sub/B.TXT"});
    settings().conversionMode = 1;
    settings().scanSubfolders = true;
    settings().namePattern = u"/O{test.none:x}";
    settings().writeLogFile = true;
    settings().deleteContents = true;
    settings().showLogWindow = true;
    settings().startIndex = 7;
    const Plan plan = PreviewItems();
    EXPECT_TRUE(plan.items.empty());
    ASSERT_TRUE(plan.patternError);
    EXPECT_EQ(plan.patternError->character, 14u);
    EXPECT_EQ(SummaryText(plan),
              u"The name pattern has a mistake at character 14: \"test.none\" takes no argument.");

    const std::vector<std::string> before = temp.listing();
    const BatchResult result = session.RunFolderBatch(items());
    EXPECT_EQ(result.outcome, BatchOutcome::PatternMistake);
    EXPECT_EQ(result.patternError, plan.patternError);
    EXPECT_EQ(temp.listing(), before);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(settings().startIndex, 7);
    EXPECT_FALSE(session.LogExists());

    // Once mended, the same batch plans its items.
    settings().namePattern = u"/O{test.none}";
    EXPECT_EQ(PreviewItems().items.size(), 2u);
}

}  // namespace
}  // namespace brindle::testing
