// The planner on real folders: the order in which a batch meets a folder's entries (made
// in an order of their own), the walk of folders and drops, an item met once, the
// counters a preview starts from, the replacement table read once, purity and
// cancellation.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlanFixture.h"
#include "engine/NaturalOrder.h"

namespace brindle::testing {
namespace {

using Names = std::vector<std::string>;

class BatchPlannerTest : public PlanFixture {
protected:
    Names inputs() const { return host.columnBytes(kColumnInput); }
    // Depth first: each subfolder's files where the subfolder stands in its parent's
    // listing.
    void expectDepthFirst(const std::string& relative, std::vector<std::string>& out) const {
        FolderListing entries = OpenFolder::AtPath(temp.folder(relative)).List();
        OrderFolderEntries(entries, session.settings().order);
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

struct OrderCase {
    const char* name;
    Names files;  // below items/, made in this order
    NameOrder order;
    bool subfolders;
    Names expected;  // the items met, in order
};

TEST_F(BatchPlannerTest, FolderBatchMeetsEntriesInTheChosenOrder) {
    const std::vector<OrderCase> cases = {
        {"natural/NumbersByValueLetterCaseAside",
         {"img10.jpg", "IMG9.jpg", "img1.jpg", "Img2.jpg", "img01.jpg"},
         NameOrder::Natural,
         false,
         {"img1.jpg", "img01.jpg", "Img2.jpg", "IMG9.jpg", "img10.jpg"}},
        {"natural/SameFoldDifferentBytes",
         {"b.txt", "a.txt", "A.txt", "\xC3\xA9.txt", "\xC3\x89.txt"},
         NameOrder::Natural,
         false,
         {"A.txt", "a.txt", "b.txt", "\xC3\x89.txt", "\xC3\xA9.txt"}},
        {"natural/OwnFilesOnly",
         {"z", "sub/inner", "m", "a"},
         NameOrder::Natural,
         false,
         {"a", "m", "z"}},
        {"natural/SubfoldersWhereTheyFallDepthFirst",
         {"c1", "b/x10", "b/x2", "b/deeper/y", "B1", "a1"},
         NameOrder::Natural,
         true,
         {"a1", "y", "x2", "x10", "B1", "c1"}},
        {"bytes/AsTheBytesSort",
         {"img10.jpg", "IMG9.jpg", "img1.jpg", "Img2.jpg", "\xFF.jpg", "\xC3\xA9.jpg"},
         NameOrder::Bytes,
         false,
         {"IMG9.jpg", "Img2.jpg", "img1.jpg", "img10.jpg", "\xC3\xA9.jpg", "\xFF.jpg"}},
        {"bytes/Subfolders",
         {"b/x10", "b/x2", "B1", "a1"},
         NameOrder::Bytes,
         true,
         {"B1", "a1", "x10", "x2"}},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        for (const std::string& file : c.files)
            folder.createFile("items/" + file);
        RecordingHost caseHost;
        RenameSession caseSession(caseHost);
        caseSession.settings().order = c.order;
        caseSession.settings().scanSubfolders = c.subfolders;
        caseSession.settings().onlyLog = true;
        EXPECT_EQ(caseSession.RunFolderBatch(folder.folder("items")).outcome,
                  BatchOutcome::Completed);
        EXPECT_EQ(caseHost.columnBytes(kColumnInput), c.expected);
    }
}

// The filesystem's own order is whatever the listing gives; in natural order the running
// number follows the names.
TEST_F(BatchPlannerTest, RunningNumberFollowsTheOrder) {
    temp.createFiles({"items/c.jpg", "items/a.jpg", "items/b.jpg", "items/10.jpg", "items/9.jpg"});
    settings().namePattern = u"/O_/3";
    settings().onlyLog = true;

    settings().order = NameOrder::None;
    Names listedFirst;
    for (const FolderEntry& entry : OpenFolder::AtPath(items()).List())
        listedFirst.push_back(N(entry.name));
    session.RunFolderBatch(items());
    EXPECT_EQ(host.columnBytes(kColumnInput), listedFirst);

    host.rows = {};
    settings().order = NameOrder::Natural;
    settings().startIndex = 0;
    session.RunFolderBatch(items());
    EXPECT_EQ(host.columnBytes(kColumnInput),
              (Names{"9.jpg", "10.jpg", "a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(host.columnBytes(kColumnOutput),
              (Names{"9_000.jpg", "10_001.jpg", "a_002.jpg", "b_003.jpg", "c_004.jpg"}));
}

TEST_F(BatchPlannerTest, DroppedItemsKeepTheDropOrderAndFoldersAreSortedInside) {
    temp.createFiles({"items/z", "items/D/10", "items/D/9", "items/D/E/x", "items/a"});
    settings().scanSubfolders = true;
    settings().renameDirs = true;
    settings().onlyLog = true;
    const std::u16string base = items();
    session.RunDropBatch({base + u"z", base + u"D", base + u"a", base + u"D/E"});
    // D/E's file was met in D's scan, and is not met again when D/E's turn comes.
    EXPECT_EQ(host.columnBytes(kColumnInput),
              (Names{"z", "9", "10", "x", "a", itemsBytes() + "D", itemsBytes() + "D/E"}));
}

TEST_F(BatchPlannerTest, ScanSubfoldersGoesDepthFirst) {
    temp.createFiles({"items/a1", "items/b/b1", "items/b/b2", "items/b/c/c1", "items/b/d/",
                      "items/e/e1", "items/z1"});
    settings().scanSubfolders = true;
    settings().conversionMode = 5;
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

TEST_F(BatchPlannerTest, ItemMovedIntoTheFolderBeingListedIsNotMetAgain) {
    temp.createFiles({"items/sub/a.exe", "items/b.exe"});
    settings().scanSubfolders = true;
    settings().fileTypes = u".exe";
    session.RunFolderBatch(items());
    // b.exe goes up out of items/, sub/a.exe into items/; each is met once.
    EXPECT_EQ(session.stats().totalFiles, 2);
    EXPECT_TRUE(temp.exists("b.exe"));
    EXPECT_TRUE(temp.exists("items/a.exe"));
}

TEST_F(BatchPlannerTest, DropFirstPassThenDroppedFoldersInDropOrder) {
    temp.createFiles({"items/f1", "items/A/a1", "items/f2", "items/B/b1", "items/E/"});
    settings().scanSubfolders = true;
    settings().renameDirs = true;
    settings().conversionMode = 5;
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

TEST_F(BatchPlannerTest, RenameDirsWithoutScanRenamesOnlyTheFolder) {
    temp.createFiles({"items/Dir/Inner.TXT"});
    settings().renameDirs = true;
    settings().conversionMode = 1;
    session.RunDropBatch({items() + u"Dir"});
    EXPECT_EQ(temp.listing(),
              (std::vector<std::string>{"items/", "items/dir/", "items/dir/Inner.TXT", "prog/"}));
    ASSERT_EQ(host.rows.size(), 1u);
    EXPECT_EQ(host.rows.at(0).input, items() + u"Dir");
}

TEST_F(BatchPlannerTest, DroppedLinkToAFolderIsRenamedLikeAFile) {
    temp.createFiles({"items/Real/Inside"});
    std::filesystem::create_directory_symlink(temp.path() / "items/Real",
                                              temp.path() / "items/Link");
    EXPECT_TRUE(IsFolder(items() + u"Real"));
    EXPECT_FALSE(IsFolder(items() + u"Link"));
    settings().scanSubfolders = true;
    settings().conversionMode = 1;
    session.RunDropBatch({items() + u"Link"});
    EXPECT_EQ(inputs(), std::vector<std::string>{"Link"});
    // (A listing would resolve the link; look at the link itself.)
    EXPECT_TRUE(std::filesystem::is_symlink(temp.path() / "items/link"));
    EXPECT_FALSE(temp.exists("items/Link"));
    EXPECT_TRUE(temp.exists("items/Real/Inside"));
}

TEST_F(BatchPlannerTest, ResetCountersPreviewStartsAtZeroAndNeverAdvancesTheSession) {
    temp.createFiles({"items/a.t", "items/b.t"});
    settings().namePattern = u"/O/1/C";
    settings().startIndex = 5;
    session.setCounters({0, u'q', 0});
    EXPECT_EQ(N(PreviewItems().items[0].newName), "a5q.t");
    settings().resetCounters = true;
    const Plan plan = PreviewItems();
    EXPECT_EQ(N(plan.items[0].newName), "a0a.t");
    EXPECT_EQ(N(plan.items[1].newName), "b1b.t");
    EXPECT_EQ(settings().startIndex, 5);
    EXPECT_EQ(session.counters().letter, u'q');
}

// Planning renames nothing, writes no log, shows nothing: a preview is pure.
TEST_F(BatchPlannerTest, PlanningIsPure) {
    temp.createFiles({"items/A.TXT", "items/sub/B.EXE"});
    settings().conversionMode = 1;
    settings().writeLogFile = true;
    settings().scanSubfolders = true;
    settings().fileTypes = u".exe";
    settings().onlyEnglish = true;
    session.setConfigFile(temp.folder() + u"missing.ini");
    const std::vector<std::string> before = temp.listing();
    const Plan plan = PreviewItems();
    EXPECT_EQ(temp.listing(), before);
    EXPECT_FALSE(logExists());
    EXPECT_TRUE(host.calls.empty());
    // A table that cannot be opened is in the plan, for the summary line.
    EXPECT_TRUE(plan.tableFailed);
    EXPECT_NE(SummaryText(plan).find(u"Error opening file: " + session.configFile()),
              std::u16string::npos);
    EXPECT_TRUE(settings().onlyEnglish);
}

TEST_F(BatchPlannerTest, CancelledBetweenItems) {
    for (int i = 0; i < 50; ++i)
        temp.createFile("items/f" + std::to_string(i));
    Plan plan;
    int asked = 0;
    std::size_t partialSize = 0;
    const bool done = PlanWhole(
        PlanRequest{BatchSource::Folder(items()), settings(), session.NextCounters(),
                    session.configFile()},
        plan, [&] { return ++asked > 20; }, 10,
        [&](const Plan& sofar) { partialSize = sofar.items.size(); });
    EXPECT_FALSE(done);
    EXPECT_FALSE(plan.complete);
    EXPECT_EQ(partialSize, 10u);
    EXPECT_LE(plan.items.size(), 21u);
}

// The intended change: an item is met once, also where a dropped subfolder comes before
// its parent and the file mover has filled the parent meanwhile.
TEST_F(BatchPlannerTest, DroppedSubfolderThenItsParentMeetEveryItemOnce) {
    temp.createFiles({"items/sub/a.exe", "items/sub/b.txt", "items/c.txt"});
    settings().scanSubfolders = true;
    settings().fileTypes = u".exe";
    settings().namePattern = u"/O-/1";
    const BatchSource drop = BatchSource::Drop({temp.folder("items/sub"), items()});
    const Plan plan = Preview(drop);
    session.RunBatch(drop);
    EXPECT_EQ(host.rows, ForeseenRows(plan));
    EXPECT_EQ(session.stats().totalFiles, 3);
    EXPECT_EQ(temp.listing(),
              (std::vector<std::string>{"items/", "items/a-0.exe", "items/c-2.txt", "items/sub/",
                                        "items/sub/b-1.txt", "prog/"}));
    // A path dropped twice, and a file dropped beside its folder, are met once as well.
    host.rows.clear();
    settings().namePattern.clear();
    settings().conversionMode = 5;
    session.RunDropBatch({items() + u"c-2.txt", items() + u"c-2.txt", items()});
    EXPECT_EQ(host.column(kColumnInput),
              (std::vector<std::u16string>{u"c-2.txt", u"a-0.exe", u"b-1.txt"}));
}

// A preview reads the table without taking it, so that it can never make the read of a
// batch that starts meanwhile fail; another holder of the file does not hide it either.
TEST_F(BatchPlannerTest, APreviewNeverHoldsTheTable) {
    temp.createFile("Brindle.ini", "[custom]\na|b\n");
    temp.createFiles({"items/a"});
    settings().onlyEnglish = true;
    settings().filterMethod = u"Custom";
    session.setConfigFile(temp.folder() + u"Brindle.ini");
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
TEST_F(BatchPlannerTest, TheReplacementTableIsReadOncePerBatch) {
    temp.createFile("Brindle.ini", "[custom]\na|1\n");
    temp.createFiles({"items/a1", "items/a2"});
    settings().onlyEnglish = true;
    settings().filterMethod = u"Custom";
    session.setConfigFile(temp.folder() + u"Brindle.ini");
    host.afterRow = [this](const Row&) {
        if (host.rows.size() == 1)
            temp.createFile("Brindle.ini", "[custom]\na|2\n");
    };
    session.RunFolderBatch(items());
    EXPECT_EQ(host.column(kColumnOutput), (std::vector<std::u16string>{u"11", u"12"}));
    // The next batch reads it anew.
    host.afterRow = nullptr;
    temp.createFiles({"items/a3"});
    session.RunFolderBatch(items());
    EXPECT_EQ(host.rows.back().output, u"23");
}

}  // namespace
}  // namespace brindle::testing
