// The order in which a batch meets a folder's entries, on real folders whose entries are
// made in an order of their own.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BatchFixture.h"
#include "batch/Messages.h"

namespace brindle::testing {
namespace {

using Names = std::vector<std::string>;

class BatchPlannerTest : public BatchFixture {
protected:
    Names column(int index) const {
        Names texts;
        for (const std::u16string& text : host.column(index))
            texts.push_back(N(text));
        return texts;
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
        caseSession.options().order = c.order;
        caseSession.options().scanSubfolders = c.subfolders;
        caseSession.options().onlyLog = true;
        EXPECT_EQ(caseSession.RunFolderBatch(folder.folder("items")).outcome,
                  BatchOutcome::Completed);
        Names met;
        for (const std::u16string& text : caseHost.column(kColumnInput))
            met.push_back(N(text));
        EXPECT_EQ(met, c.expected);
    }
}

// The filesystem's own order is whatever the listing gives; in natural order the running
// number follows the names.
TEST_F(BatchPlannerTest, RunningNumberFollowsTheOrder) {
    temp.createFiles({"items/c.jpg", "items/a.jpg", "items/b.jpg", "items/10.jpg", "items/9.jpg"});
    options().namePattern = u"/O_/3";
    options().onlyLog = true;

    options().order = NameOrder::None;
    Names listedFirst;
    for (const FolderEntry& entry : ListFolder(items()))
        listedFirst.push_back(N(entry.name));
    session.RunFolderBatch(items());
    EXPECT_EQ(column(kColumnInput), listedFirst);

    host.rows = {};
    options().order = NameOrder::Natural;
    options().startIndex = 0;
    session.RunFolderBatch(items());
    EXPECT_EQ(column(kColumnInput), (Names{"9.jpg", "10.jpg", "a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(column(kColumnOutput),
              (Names{"9_000.jpg", "10_001.jpg", "a_002.jpg", "b_003.jpg", "c_004.jpg"}));
}

TEST_F(BatchPlannerTest, DroppedItemsKeepTheDropOrderAndFoldersAreSortedInside) {
    temp.createFiles({"items/z", "items/D/10", "items/D/9", "items/D/E/x", "items/a"});
    options().scanSubfolders = true;
    options().renameDirs = true;
    options().onlyLog = true;
    const std::u16string base = items();
    session.RunDropBatch({base + u"z", base + u"D", base + u"a", base + u"D/E"});
    // D/E's file was met in D's scan, and is not met again when D/E's turn comes.
    EXPECT_EQ(column(kColumnInput),
              (Names{"z", "9", "10", "x", "a", itemsBytes() + "D", itemsBytes() + "D/E"}));
}

}  // namespace
}  // namespace brindle::testing
