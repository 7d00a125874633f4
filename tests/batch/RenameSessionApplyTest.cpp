#include <climits>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BatchFixture.h"
#include "batch/Messages.h"
#include "batch/OperationTally.h"

namespace brindle::testing {
namespace {

class RenameSessionApplyTest : public BatchFixture {
protected:
    // One file of items/ in a batch of its own, as a drop of that file makes it.
    void Process(const std::string& name) { session.RunDropBatch({items() + U(name)}); }
    Row lastRow() const { return host.rows.at(host.rows.size() - 1); }
};

struct NameCase {
    const char* name;
    std::vector<std::string> files;  // under items/
    std::string item;
    std::function<void(RenameSettings&)> set;
    std::vector<std::string> expectedListing;  // below items/
    std::u16string expectedOutput;
    int changed;
    int exceptions;
    std::u16string expectedReason = {};  // of the row: why the rename failed
};

TEST_F(RenameSessionApplyTest, NamesOnDisk) {
    const std::vector<NameCase> cases = {
        {"lower/CaseAloneCounts",
         {"readme.TXT"},
         "readme.TXT",
         [](RenameSettings& o) { o.conversionMode = 1; },
         {"readme.txt"},
         u"readme.txt",
         1,
         0},
        {"lower/ExtensionSetAside",
         {"readme.TXT"},
         "readme.TXT",
         [](RenameSettings& o) {
             o.conversionMode = 1;
             o.withoutExtension = true;
         },
         {"readme.TXT"},
         u"readme.TXT",
         0,
         0},
        {"withoutExtension/DoubledExtension",
         {"a.txt.txt"},
         "a.txt.txt",
         [](RenameSettings& o) { o.withoutExtension = true; },
         {"a.txt.txt"},
         u"a.txt.txt",
         0,
         0},
        {"replace/EveryOccurrence",
         {"abab.txt"},
         "abab.txt",
         [](RenameSettings& o) {
             o.replaceWhat = u"ab";
             o.replaceWith = u"x";
         },
         {"xx.txt"},
         u"xx.txt",
         1,
         0},
        {"unusable/SlashWouldLeaveFolder",
         {"a.txt"},
         "a.txt",
         [](RenameSettings& o) {
             o.replaceWhat = u"a";
             o.replaceWith = u"../";
         },
         {"a.txt"},
         kTextRenameFailed,
         1,
         1,
         u"the new name cannot be a name"},
        {"unusable/DotDot",
         {"x"},
         "x",
         [](RenameSettings& o) {
             o.replaceWhat = u"x";
             o.replaceWith = u"..";
         },
         {"x"},
         kTextRenameFailed,
         1,
         1,
         u"the new name cannot be a name"},
        {"unusable/BrokenSurrogate",
         {"\xF0\x9F\x98\x80"},
         "\xF0\x9F\x98\x80",
         [](RenameSettings& o) {
             o.replaceWhat = u"\xDE00";  // half of the pair
             o.replaceWith = u"x";
         },
         {"\xF0\x9F\x98\x80"},
         kTextRenameFailed,
         1,
         1,
         u"the new name cannot be a name"},
        {"exists/NeverOverwrites",
         {"A.txt", "a.txt"},
         "A.txt",
         [](RenameSettings& o) { o.conversionMode = 1; },
         {"A.txt", "a.txt"},
         kTextRenameFailed,
         1,
         1,
         u"the new name exists (a.txt)"},
        {"mover/SentUpAndRenamed",
         {"sub/Setup.EXE"},
         "sub/Setup.EXE",
         [](RenameSettings& o) {
             o.conversionMode = 1;
             o.fileTypes = u".exe";
         },
         {"setup.exe", "sub/"},
         u"setup.exe",
         1,
         0},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        for (const std::string& file : c.files)
            folder.createFile(file, file);
        RecordingHost caseHost;
        RenameSession caseSession(caseHost);
        c.set(caseSession.settings());
        caseSession.RunDropBatch({folder.folder() + U(c.item)});

        EXPECT_EQ(folder.listing(), c.expectedListing);
        ASSERT_EQ(caseHost.rows.size(), 1u);
        EXPECT_EQ(caseHost.rows.at(0).output, c.expectedOutput);
        EXPECT_EQ(caseHost.rows.at(0).reason, c.expectedReason);
        EXPECT_EQ(caseHost.rows.at(0).reasonPath,
                  c.expectedReason.empty() ? u"" : folder.folder() + U(c.item));
        EXPECT_EQ(caseSession.stats().changedFiles, c.changed);
        EXPECT_EQ(caseSession.stats().exceptions, c.exceptions);
        // Whatever failed, the files keep their contents.
        for (const std::string& file : c.files) {
            if (folder.exists(file)) {
                EXPECT_EQ(folder.readFile(file), file);
            }
        }
    }
}

// What a batch did, counted as it went, and the line that sums it up; then its Undo.
TEST_F(RenameSessionApplyTest, TallyOfABatchAndOfItsUndo) {
    // In natural order: A.txt takes a.txt's name (refused), a.txt and c.txt stay, B.txt is
    // renamed.
    temp.createFiles({"items/A.txt", "items/a.txt", "items/B.txt", "items/c.txt", "items/D"});
    setReadOnly("items/D");
    settings().conversionMode = 1;
    settings().skipReadOnly = true;
    settings().writeLogFile = true;
    session.RunFolderBatch(items());
    const OperationTally& tally = session.tally();
    EXPECT_EQ(tally.kind, OperationTally::Kind::Batch);
    EXPECT_EQ(tally.items, 5u);
    EXPECT_EQ(tally.done, 1u);
    EXPECT_EQ(tally.failed, 1u);
    EXPECT_EQ(tally.readOnly, 1u);
    EXPECT_EQ(tally.unchanged, 2u);
    EXPECT_EQ(ResultText(tally), u"Renamed 1 of 5; 1 failed; 1 read-only; 2 unchanged");

    // A second batch counts afresh.
    temp.createFiles({"items/E"});
    session.RunDropBatch({items() + u"E"});
    EXPECT_EQ(ResultText(session.tally()), u"Renamed 1 of 1");

    // Undo takes back the newest batch only: its one rename.
    host.answers = {true};
    session.OnUndo();
    EXPECT_EQ(session.tally().kind, OperationTally::Kind::Undo);
    EXPECT_EQ(session.tally().done, 1u);
}

TEST(ResultText, SaysWhatTheOperationDid) {
    struct Case {
        OperationTally tally;
        std::u16string text;
    };
    using Kind = OperationTally::Kind;
    const Case cases[] = {
        {{}, u""},
        {{.kind = Kind::Batch, .items = 312, .done = 310, .failed = 2},
         u"Renamed 310 of 312; 2 failed"},
        {{.kind = Kind::Batch}, u"Renamed 0 of 0"},
        {{.kind = Kind::Batch, .items = 4, .done = 1, .unchanged = 3, .stopped = true},
         u"Renamed 1 of 4; 3 unchanged; stopped"},
        {{.kind = Kind::Batch, .items = 1, .unchanged = 0, .onlyLog = true},
         u"Only Log: 1 item listed, nothing renamed"},
        {{.kind = Kind::Batch, .items = 7, .failed = 1, .unchanged = 2, .onlyLog = true},
         u"Only Log: 7 items listed, nothing renamed; 1 failed"},
        {{.kind = Kind::Undo, .items = 312, .done = 310, .failed = 2},
         u"Undo: put back 310 of 312; 2 failed"},
        {{.kind = Kind::Undo, .items = 9, .done = 3, .stopped = true},
         u"Undo: put back 3 of 9; stopped"},
        {{.kind = Kind::Undo, .logUnusable = true},
         u"Undo: the log could not be used, nothing put back"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResultText(c.tally), c.text);
}

TEST_F(RenameSessionApplyTest, RowStatsAndExchangesOfOneItem) {
    temp.createFiles({"items/Track01.MP3"});
    settings().conversionMode = 1;
    settings().countSymbols = true;
    Process("Track01.MP3");

    // The options are taken once, by the batch: the host hears only of the row.
    EXPECT_EQ(host.calls, (std::vector<std::string>{"row", "status"}));
    Row expected;
    expected.mark = RowMark::Note;
    expected.input = u"Track01.MP3";
    expected.output = u"track01.mp3";
    expected.count = u"11";
    expected.folder = items();
    ASSERT_EQ(host.rows.size(), 1u);
    EXPECT_EQ(host.rows.at(0), expected);
    EXPECT_EQ(host.statuses.back(),
              u"Total files: 1 | Changed files: 1 | Average Input length: 11 | "
              u"Average Output length: 11 | Exceptions: 0");
    EXPECT_EQ(session.stats().nextRow, 1);
}

TEST_F(RenameSessionApplyTest, SymbolCountKeepsItsLastValueAndStatsAreMaxima) {
    temp.createFiles({"items/abcde", "items/abcdefghijkl", "items/abcdefg"});
    Process("abcde");
    EXPECT_EQ(lastRow().count, u"0");
    settings().countSymbols = true;
    Process("abcdefghijkl");
    EXPECT_EQ(lastRow().count, u"12");
    settings().countSymbols = false;
    Process("abcdefg");
    EXPECT_EQ(lastRow().count, u"12");
    EXPECT_EQ(session.stats().maxInputLength, 12);
    EXPECT_EQ(session.stats().maxOutputLength, 12);
    EXPECT_EQ(session.stats().totalFiles, 3);
    EXPECT_EQ(session.stats().changedFiles, 0);
}

TEST_F(RenameSessionApplyTest, CountersWrapWithoutOverflow) {
    temp.createFiles({"items/A"});
    session.stats().totalFiles = INT_MAX;
    session.stats().changedFiles = INT_MAX;
    session.stats().nextRow = INT_MAX;
    settings().conversionMode = 1;
    Process("A");
    EXPECT_EQ(session.stats().totalFiles, INT_MIN);
    EXPECT_EQ(session.stats().changedFiles, INT_MIN);
    EXPECT_EQ(session.stats().nextRow, INT_MIN);
}

TEST_F(RenameSessionApplyTest, ReadOnlyFiles) {
    temp.createFiles({"items/A.txt", "items/B.txt"});
    setReadOnly("items/A.txt");
    settings().conversionMode = 1;
    settings().writeLogFile = true;

    settings().skipReadOnly = true;
    Process("A.txt");
    EXPECT_EQ(lastRow().output, u"a.txt(Read Only)");
    EXPECT_EQ(session.stats().exceptions, 1);
    EXPECT_EQ(session.stats().changedFiles, 1);
    // Writable files go on being renamed.
    Process("B.txt");
    EXPECT_EQ(lastRow().output, u"b.txt");
    // The record holds the plain new name.
    EXPECT_EQ(logWithoutMarks(), kHeader + Pair(itemsBytes(), itemsBytes()) +
                                     Record("A.txt", "a.txt") + Record("B.txt", "b.txt"));

    // A dry run reads no attributes and raises nothing.
    settings().onlyLog = true;
    Process("A.txt");
    EXPECT_EQ(lastRow().output, u"a.txt");
    EXPECT_EQ(session.stats().exceptions, 1);

    // Without the option a read-only file is renamed like any other.
    settings().onlyLog = false;
    settings().skipReadOnly = false;
    Process("A.txt");
    EXPECT_EQ(lastRow().output, u"a.txt");
    EXPECT_EQ(temp.listing(), (std::vector<std::string>{"items/", "items/a.txt", "items/b.txt",
                                                        "prog/", "prog/Brindle.log"}));
}

TEST_F(RenameSessionApplyTest, OnlyLogChangesNothingButTheLog) {
    temp.createFiles({"items/sub/Setup.EXE", "items/sub/Read.ME"});
    settings().onlyLog = true;
    settings().writeLogFile = true;
    settings().conversionMode = 1;
    settings().fileTypes = u".EXE";
    const std::u16string sub = temp.folder("items/sub");
    session.RunDropBatch({sub + u"Setup.EXE", sub + u"Read.ME"});
    EXPECT_EQ(temp.listing(),
              (std::vector<std::string>{"items/", "items/sub/", "items/sub/Read.ME",
                                        "items/sub/Setup.EXE", "prog/", "prog/Brindle.log"}));
    EXPECT_EQ(host.column(kColumnOutput), (std::vector<std::u16string>{u"setup.exe", u"read.me"}));
    EXPECT_EQ(host.column(kColumnFolder),
              (std::vector<std::u16string>{items(), temp.folder("items/sub")}));
    EXPECT_EQ(session.stats().changedFiles, 2);
    EXPECT_EQ(session.stats().exceptions, 0);
    // The mover lowered the option.
    EXPECT_EQ(settings().fileTypes, u".exe");
}

TEST_F(RenameSessionApplyTest, OnlyEnglishTableTakesThePlaceOfTheReplacePair) {
    temp.createFile("Brindle.ini", "[english]\n\xD0\xB6|zh\n");
    temp.createFiles({"items/\xD0\xB6uk"});
    settings().onlyEnglish = true;
    settings().filterMethod = u"English";
    session.setConfigFile(temp.folder() + u"Brindle.ini");
    settings().replaceWhat = u"u";
    settings().replaceWith = u"o";
    Process("\xD0\xB6uk");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(temp.listing(),
              (std::vector<std::string>{"Brindle.ini", "items/", "items/zhuk", "prog/"}));
}

}  // namespace
}  // namespace brindle::testing
