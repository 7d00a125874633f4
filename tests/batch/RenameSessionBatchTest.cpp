// Running a batch on real folders: what the host hears from its beginning to its end,
// and a batch that has nothing to do.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BatchFixture.h"
#include "batch/Messages.h"

namespace brindle::testing {
namespace {

class RenameSessionBatchTest : public BatchFixture {};

TEST_F(RenameSessionBatchTest, ChooseFolderOwnFilesOnly) {
    temp.createFiles({"items/a.t", "items/b.t", "items/sub/c", "items/sub/deeper/d"});
    settings().showLogWindow = true;
    settings().namePattern = u"x/0";
    std::vector<std::string> files;
    for (const std::string& name : listed("items")) {
        if (name != "sub")
            files.push_back(name);
    }
    const std::size_t start = host.calls.size();
    const BatchResult result = session.RunFolderBatch(temp.path().u16string() + u"/items");
    EXPECT_EQ(result.outcome, BatchOutcome::Completed);
    EXPECT_EQ(host.columnBytes(kColumnInput), files);
    EXPECT_EQ(temp.listing(), (std::vector<std::string>{"items/", "items/sub/", "items/sub/c",
                                                        "items/sub/deeper/", "items/sub/deeper/d",
                                                        "items/x0.t", "items/x1.t", "prog/"}));
    for (const Row& row : host.rows)
        EXPECT_EQ(row.folder, items());
    // Begin: the title; each item: its row and the status line; end: the title.
    const std::vector<std::string> calls = host.callsFrom(start);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"title", "row", "status", "row", "status", "title"}));
    EXPECT_EQ(host.titles, (std::vector<std::u16string>{kTitleWorking, kTitleOutputLog}));
    EXPECT_EQ(result.undoEnabled, std::optional<bool>(false));
    EXPECT_EQ(settings().startIndex, 2);
}

TEST_F(RenameSessionBatchTest, BatchWithoutItemsStillBeginsAndEnds) {
    temp.createFiles({"items/Dir/x"});
    host.rows.push_back(Row{});
    session.stats().totalFiles = 7;
    settings().deleteContents = true;
    settings().resetCounters = true;
    settings().startIndex = 41;
    session.setCounters({0, u'q', 0});
    const BatchResult result = session.RunDropBatch({items() + u"Dir"});
    EXPECT_TRUE(host.rows.empty());
    EXPECT_EQ(session.stats().totalFiles, 0);
    EXPECT_EQ(settings().startIndex, 0);
    EXPECT_EQ(session.counters().letter, u'a');
    EXPECT_EQ(result.undoEnabled, std::optional<bool>(false));
    // Only an item refreshes the status line.
    EXPECT_TRUE(host.statuses.empty());
}

TEST_F(RenameSessionBatchTest, DropOfNothingUsableDoesNothing) {
    settings().deleteContents = true;
    EXPECT_EQ(session.RunDropBatch({u"", u""}).outcome, BatchOutcome::Completed);
    EXPECT_EQ(session.RunFolderBatch(u"").outcome, BatchOutcome::Completed);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(session.undoEnabled(), std::nullopt);
}

// The file mover's types are lowered once the batch meets an item, and stay so in the
// options; an item goes up whatever letter case its type was typed in.
TEST_F(RenameSessionBatchTest, FileMoverLowersItsTypesOnceAnItemIsMet) {
    temp.createFiles({"items/sub/Setup.EXE", "items/sub/read.me", "items/empty/"});
    const std::pair<const char*, std::u16string> cases[] = {
        {"items/empty", u".EXE,.Bat,.\u042F"},
        {"items/sub", u".exe,.bat,.\u042F"},
    };
    for (const auto& [folder, typesAfter] : cases) {
        SCOPED_TRACE(folder);
        settings().fileTypes = u".EXE,.Bat,.\u042F";
        session.RunFolderBatch(temp.folder(folder));
        EXPECT_EQ(settings().fileTypes, typesAfter);
    }
    EXPECT_EQ(temp.listing(),
              (std::vector<std::string>{"items/", "items/Setup.EXE", "items/empty/", "items/sub/",
                                        "items/sub/read.me", "prog/"}));
}

// Told once, before the first item, either way; then the host decides: the dialog goes
// on with the option off (the replace stage applies to the very item whose table
// failed), brindle-cli renames nothing.
TEST_F(RenameSessionBatchTest, OnlyEnglishTableMissing) {
    struct Case {
        const char* name;
        bool goesOn;
        BatchOutcome outcome;
        std::vector<std::string> calls;
        std::vector<std::string> listing;
    };
    const Case cases[] = {
        {"host/GoesOn",
         true,
         BatchOutcome::Completed,
         {"message", "row", "status", "row", "status"},
         {"items/", "items/xb1", "items/xb2", "prog/", "prog/Brindle.log"}},
        {"host/RenamesNothing",
         false,
         BatchOutcome::TableMissing,
         {"message"},
         {"items/", "items/ab1", "items/ab2", "prog/"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        folder.createFiles({"items/ab1", "items/ab2", "prog/"});
        RecordingHost caseHost;
        caseHost.goesOnWithoutTable = c.goesOn;
        RenameSession caseSession(caseHost);
        RenameSettings& o = caseSession.settings();
        o.writeLogFile = true;
        caseSession.setLogFile(folder.folder("prog") + u"Brindle.log");
        o.onlyEnglish = true;
        o.filterMethod = u"English";
        caseSession.setConfigFile(folder.folder() + u"missing.ini");
        o.replaceWhat = u"a";
        o.replaceWith = u"x";
        const std::u16string items = folder.folder("items");
        const BatchResult result = caseSession.RunDropBatch({items + u"ab1", items + u"ab2"});

        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_TRUE(result.tableFailed);
        EXPECT_EQ(caseHost.calls, c.calls);
        ASSERT_EQ(caseHost.messages.size(), 1u);
        EXPECT_EQ(caseHost.messages[0], (Shown{u"Error opening file: " + caseSession.configFile(),
                                               u"", MessageIcon::Warning}));
        EXPECT_FALSE(o.onlyEnglish);
        // Nothing renamed is nothing logged.
        EXPECT_EQ(folder.listing(), c.listing);
    }
}

// The host asks a running batch to stop, as the main dialog does when it is closed during
// one: the batch stops at the next item, the log keeps exactly the records of what was
// renamed, and the next batch and Undo go on from there.
TEST_F(RenameSessionBatchTest, AStopRequestEndsTheBatchAtTheNextItem) {
    struct Case {
        const char* name;
        std::size_t stopAfterRows;  // 0: asked before the batch
    };
    const Case cases[] = {{"before the batch", 0}, {"after the first item", 1}, {"after three", 3}};
    const std::vector<std::string> original = {"items/",   "items/a/",   "items/a/X1", "items/a/X2",
                                               "items/b/", "items/b/Y1", "items/b/Y2", "prog/"};
    settings().writeLogFile = true;
    settings().conversionMode = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // One group of records across two folders: a stop after the first takes back a
        // record of each.
        temp.createFiles({"items/a/X1", "items/a/X2", "items/b/Y1", "items/b/Y2"});
        host.rows.clear();
        host.afterRow = [&](const Row&) {
            if (host.rows.size() == c.stopAfterRows)
                session.RequestStop();
        };
        if (c.stopAfterRows == 0)
            session.RequestStop();
        const BatchResult result = session.RunDropBatch(
            {items() + u"a/X1", items() + u"a/X2", items() + u"b/Y1", items() + u"b/Y2"});
        EXPECT_EQ(result.outcome, BatchOutcome::Stopped);
        EXPECT_EQ(host.rows.size(), c.stopAfterRows);
        EXPECT_FALSE(session.stopRequested());  // answered
        EXPECT_EQ(logRecords().size(), c.stopAfterRows);
        EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "message"), 0);

        // The next batch runs to its end; its records name their own folder.
        host.afterRow = nullptr;
        EXPECT_EQ(session.RunFolderBatch(items() + u"b").outcome, BatchOutcome::Completed);
        EXPECT_TRUE(temp.exists("items/b/y1") && temp.exists("items/b/y2"));
        host.answers = {true};
        EXPECT_EQ(session.OnUndo(UndoScope::All()), UndoOutcome::Completed);
        EXPECT_EQ(temp.listing(), original);
        std::filesystem::remove_all(temp.path() / "items");
        temp.createFiles({"items/"});
    }
}

}  // namespace
}  // namespace brindle::testing
