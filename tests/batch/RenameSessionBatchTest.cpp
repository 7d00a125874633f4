#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BatchFixture.h"
#include "batch/BatchPlanner.h"
#include "batch/Messages.h"
#include "engine/NaturalOrder.h"

namespace brindle::testing {
namespace {

class RenameSessionBatchTest : public BatchFixture {
protected:
    // The input texts of the rows, in row order, as UTF-8.
    std::vector<std::string> inputs() const {
        std::vector<std::string> texts;
        for (const std::u16string& text : host.column(kColumnInput))
            texts.push_back(N(text));
        return texts;
    }
    // Depth first: each subfolder's files where the subfolder stands in its parent's
    // listing.
    void expectDepthFirst(const std::string& relative, std::vector<std::string>& out) const {
        std::vector<FolderEntry> entries = ListFolder(temp.folder(relative));
        OrderFolderEntries(entries, session.options().order);
        for (const FolderEntry& entry : entries) {
            const std::string name = N(entry.name);
            if (entry.isFolder) {
                expectDepthFirst(relative + "/" + name, out);
            } else {
                out.push_back(name);
            }
        }
    }
};

TEST_F(RenameSessionBatchTest, ChooseFolderOwnFilesOnly) {
    temp.createFiles({"items/a.t", "items/b.t", "items/sub/c", "items/sub/deeper/d"});
    options().showLogWindow = true;
    options().namePattern = u"x/0";
    std::vector<std::string> files;
    for (const std::string& name : listed("items")) {
        if (name != "sub")
            files.push_back(name);
    }
    const std::size_t start = host.calls.size();
    const BatchResult result = session.RunFolderBatch(temp.path().u16string() + u"/items");
    EXPECT_EQ(result.outcome, BatchOutcome::Completed);
    EXPECT_EQ(inputs(), files);
    EXPECT_EQ(temp.listing(), (std::vector<std::string>{"items/", "items/sub/", "items/sub/c",
                                                        "items/sub/deeper/", "items/sub/deeper/d",
                                                        "items/x0.t", "items/x1.t", "prog/"}));
    for (const OutputRow& row : host.rows.rows())
        EXPECT_EQ(row.folder, items());
    // Begin: the title; each item: its row and the status line; end: the title.
    const std::vector<std::string> calls = host.callsFrom(start);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"title", "row", "status", "row", "status", "title"}));
    EXPECT_EQ(host.titles, (std::vector<std::u16string>{kTitleWorking, kTitleOutputLog}));
    EXPECT_EQ(result.undoEnabled, std::optional<bool>(false));
    EXPECT_EQ(options().startIndex, 2);
}

TEST_F(RenameSessionBatchTest, ScanSubfoldersGoesDepthFirst) {
    temp.createFiles({"items/a1", "items/b/b1", "items/b/b2", "items/b/c/c1", "items/b/d/",
                      "items/e/e1", "items/z1"});
    options().scanSubfolders = true;
    options().conversionMode = 5;
    std::vector<std::string> expected;
    expectDepthFirst("items", expected);
    session.RunFolderBatch(items());
    EXPECT_EQ(inputs(), expected);
    EXPECT_EQ(session.stats().totalFiles, 6);
    EXPECT_EQ(temp.listing(),
              (std::vector<std::string>{"items/", "items/A1", "items/Z1", "items/b/", "items/b/B1",
                                        "items/b/B2", "items/b/c/", "items/b/c/C1", "items/b/d/",
                                        "items/e/", "items/e/E1", "prog/"}));
}

TEST_F(RenameSessionBatchTest, ItemMovedIntoTheFolderBeingListedIsNotMetAgain) {
    temp.createFiles({"items/sub/a.exe", "items/b.exe"});
    options().scanSubfolders = true;
    options().fileTypes = u".exe";
    session.RunFolderBatch(items());
    // b.exe goes up out of items/, sub/a.exe into items/; each is met once.
    EXPECT_EQ(session.stats().totalFiles, 2);
    EXPECT_TRUE(temp.exists("b.exe"));
    EXPECT_TRUE(temp.exists("items/a.exe"));
}

TEST_F(RenameSessionBatchTest, DropFirstPassThenDroppedFoldersInDropOrder) {
    temp.createFiles({"items/f1", "items/A/a1", "items/f2", "items/B/b1", "items/E/"});
    options().scanSubfolders = true;
    options().renameDirs = true;
    options().conversionMode = 5;
    const std::u16string base = items();
    session.RunDropBatch({base + u"f1", base + u"A/", u"", base + u"f2", base + u"B", base + u"E"});
    const std::string b = itemsBytes();
    EXPECT_EQ(inputs(),
              (std::vector<std::string>{"f1", "a1", "f2", "b1", b + "A", b + "B", b + "E"}));
    EXPECT_EQ(host.column(kColumnOutput),
              (std::vector<std::u16string>{u"F1", u"A1", u"F2", u"B1", u"A", u"B", u"E"}));
    EXPECT_EQ(temp.listing(), (std::vector<std::string>{"items/", "items/A/", "items/A/A1",
                                                        "items/B/", "items/B/B1", "items/E/",
                                                        "items/F1", "items/F2", "prog/"}));
}

TEST_F(RenameSessionBatchTest, RenameDirsWithoutScanRenamesOnlyTheFolder) {
    temp.createFiles({"items/Dir/Inner.TXT"});
    options().renameDirs = true;
    options().conversionMode = 1;
    session.RunDropBatch({items() + u"Dir"});
    EXPECT_EQ(temp.listing(),
              (std::vector<std::string>{"items/", "items/dir/", "items/dir/Inner.TXT", "prog/"}));
    ASSERT_EQ(host.rows.size(), 1u);
    EXPECT_EQ(host.rows.at(0).input, items() + u"Dir");
}

TEST_F(RenameSessionBatchTest, DroppedLinkToAFolderIsRenamedLikeAFile) {
    temp.createFiles({"items/Real/Inside"});
    std::filesystem::create_directory_symlink(temp.path() / "items/Real",
                                              temp.path() / "items/Link");
    EXPECT_TRUE(IsFolder(items() + u"Real"));
    EXPECT_FALSE(IsFolder(items() + u"Link"));
    options().scanSubfolders = true;
    options().conversionMode = 1;
    session.RunDropBatch({items() + u"Link"});
    EXPECT_EQ(inputs(), std::vector<std::string>{"Link"});
    // (A listing would resolve the link; look at the link itself.)
    EXPECT_TRUE(std::filesystem::is_symlink(temp.path() / "items/link"));
    EXPECT_FALSE(temp.exists("items/Link"));
    EXPECT_TRUE(temp.exists("items/Real/Inside"));
}

TEST_F(RenameSessionBatchTest, BatchWithoutItemsStillBeginsAndEnds) {
    temp.createFiles({"items/Dir/x"});
    host.rows.Append(OutputRow{});
    session.stats().totalFiles = 7;
    options().deleteContents = true;
    options().resetCounters = true;
    options().startIndex = 41;
    session.setLetterCounter(u'q');
    const BatchResult result = session.RunDropBatch({items() + u"Dir"});
    EXPECT_TRUE(host.rows.empty());
    EXPECT_EQ(session.stats().totalFiles, 0);
    EXPECT_EQ(options().startIndex, 0);
    EXPECT_EQ(session.letterCounter(), u'a');
    EXPECT_EQ(result.undoEnabled, std::optional<bool>(false));
    // Only an item refreshes the status line.
    EXPECT_TRUE(host.statuses.empty());
}

TEST_F(RenameSessionBatchTest, DropOfNothingUsableDoesNothing) {
    options().deleteContents = true;
    EXPECT_EQ(session.RunDropBatch({u"", u""}).outcome, BatchOutcome::Completed);
    EXPECT_EQ(session.RunFolderBatch(u"").outcome, BatchOutcome::Completed);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(session.undoEnabled(), std::nullopt);
}

}  // namespace
}  // namespace brindle::testing
