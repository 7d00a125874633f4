#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "batch/LogParser.h"
#include "batch/RenameLog.h"
#include "platform/NameCodec.h"

namespace brindle {
namespace {

const std::string kSep = "-------------------------------------------\r\n";

LogRecord R(std::u16string oldDirectory, std::u16string newDirectory, std::u16string oldName,
            std::u16string newName) {
    return {std::move(oldDirectory), std::move(newDirectory), std::move(oldName),
            std::move(newName)};
}

struct ParseCase {
    const char* name;
    std::string bytes;
    std::vector<LogRecord> expected;
};

TEST(LogParserTest, ReadingRules) {
    const std::vector<ParseCase> cases = {
        {"empty/NoBytes", "", {}},
        {"empty/HeaderOnly", "Version=3.7\r\n", {}},
        {"complete/OnePairTwoRecords",
         "Version=3.7\r\nOld Directory=/m/\r\nNew Directory=/m/\r\nOld File=T.MP3\r\n"
         "New File=t.mp3\r\n" +
             kSep + "Old File=a.txt\r\nNew File=a.txt\r\n" + kSep,
         {R(u"/m/", u"/m/", u"T.MP3", u"t.mp3"), R(u"/m/", u"/m/", u"a.txt", u"a.txt")}},
        {"complete/BareLineFeeds",
         "Old Directory=/m/\nNew Directory=/\nOld File=a\nNew File=b\n",
         {R(u"/m/", u"/", u"a", u"b")}},
        {"complete/FileLengthIgnored",
         "Old Directory=/m/\r\nNew Directory=/m/\r\nOld File=a\r\nNew File=b\r\n"
         "File Leght=1\r\n" +
             kSep,
         {R(u"/m/", u"/m/", u"a", u"b")}},
        {"value/HoldsAKey",
         "Old Directory=/m/\r\nNew Directory=/m/\r\nOld File=New File=1.txt\r\n"
         "New File=Old File=2.txt\r\n",
         {R(u"/m/", u"/m/", u"New File=1.txt", u"Old File=2.txt")}},
        {"value/CtrlZAndInnerCrKept",
         "Old Directory=/m/\r\nNew Directory=/m/\r\nOld File=a\x1A\rb\r\nNew File=c\r\r\n",
         {R(u"/m/", u"/m/", u"a\x1A\rb", u"c\r")}},
        {"value/CyrillicAndRawBytes",
         "Old Directory=/\xD0\xAF/\r\nNew Directory=/\xD0\xAF/\r\nOld File=\xFF\xFE.TXT\r\n"
         "New File=\xD1\x8F.txt\r\n",
         {R(u"/\u042F/", u"/\u042F/", u"\xDCFF\xDCFE.TXT", u"\u044F.txt")}},
        {"orphan/NoDirectoryYet", "Old File=a\r\nNew File=b\r\n" + kSep, {}},
        {"orphan/EmptyDirectory",
         "Old Directory=\r\nNew Directory=/n/\r\nOld File=a\r\nNew File=b\r\n"
         "Old File=c\r\nNew File=d\r\n",
         {R(u"", u"/n/", u"a", u"b")}},
        {"chain/BrokenKeepsEarlierValues",
         "Old Directory=/a/\r\nNew Directory=/a/\r\nOld File=x\r\nNew File=y\r\n" + kSep +
             "Old Directory=/b/\r\nBogus\r\nOld File=p\r\nNew File=q\r\n",
         {R(u"/a/", u"/a/", u"x", u"y"), R(u"/b/", u"/a/", u"x", u"y"),
          R(u"/b/", u"/a/", u"p", u"q")}},
        {"chain/MismatchConsumed",
         "Old Directory=/a/\r\nNew Directory=/a/\r\nOld File=x\r\nOld File=y\r\nNew File=z\r\n",
         {R(u"/a/", u"/a/", u"x", u"")}},
        {"chain/OldFileWithoutNewFile",
         "Old Directory=/a/\r\nNew Directory=/a/\r\nOld File=x\r\nNew File=y\r\n"
         "Old File=p\r\nOld Directory=/z/\r\nNew Directory=/z/\r\n" +
             kSep,
         {R(u"/a/", u"/a/", u"x", u"y"), R(u"/a/", u"/a/", u"p", u"y")}},
        {"torn/LastLineWithoutLineEnd",
         "Old Directory=/a/\r\nNew Directory=/a/\r\nOld File=x\r\nNew File=y\r\n" + kSep +
             "Old File=p\r\nNew File=q",
         {R(u"/a/", u"/a/", u"x", u"y")}},
        {"torn/ChainCutByEnd",
         "Old Directory=/a/\r\nNew Directory=/a/\r\nOld File=x\r\nNew File=y\r\n" + kSep +
             "Old Directory=/b/\r\nNew Directory=/b/\r\nOld File=p\r\n",
         {R(u"/a/", u"/a/", u"x", u"y")}},
        {"torn/OldFileCutByEnd",
         "Old Directory=/a/\r\nNew Directory=/a/\r\nOld File=x\r\nNew File=y\r\nOld File=p\r\n",
         {R(u"/a/", u"/a/", u"x", u"y")}},
        {"torn/EndedAndFollowedBySeparator",
         "Old Directory=/a/\r\nNew Directory=/a/\r\nOld File=x\r\nNew File=y\r\n" + kSep +
             "Old Directory=/b/\r\nNew Dir\r\n" + kSep +
             "Old Directory=/c/\r\nNew Directory=/c/\r\nOld File=m\r\nNew File=n\r\n",
         {R(u"/a/", u"/a/", u"x", u"y"), R(u"/b/", u"/a/", u"x", u"y"),
          R(u"/c/", u"/c/", u"m", u"n")}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseLog(c.bytes), c.expected);
    }
}

// A log in the current format: "Identity=" before each record, marks between records
// naming records by the offset of their "Old File=" line. `{N}` in a line stands for the
// offset of the N-th record's "Old File=" line (counted from 0), written with three
// digits so that the offsets stay where they were counted.
std::string WithOffsets(const std::vector<std::string>& lines) {
    std::string bytes;
    std::vector<std::size_t> offsets;
    for (const std::string& line : lines) {
        if (line.starts_with("Old File="))
            offsets.push_back(bytes.size());
        bytes += line + "\r\n";
    }
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const std::string token = "{" + std::to_string(i) + "}";
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03zu", offsets[i]);
        for (auto at = bytes.find(token); at != std::string::npos; at = bytes.find(token))
            bytes.replace(at, token.size(), digits);
    }
    return bytes;
}

struct MarkCase {
    const char* name;
    std::string bytes;
    // For each record: what the lines around it tell.
    struct Expected {
        bool marked;
        std::uint64_t itemInode;
        std::uint64_t itemLinks;
        RecordOutcome outcome;
        bool undone;
        std::vector<TemporaryStep> steps;
        bool claimedOld;
        bool claimedNew;
    };
    std::vector<Expected> expected;
};

TEST(LogParserTest, MarksOfTheCurrentFormat) {
    using O = RecordOutcome;
    const std::vector<MarkCase> cases = {
        {"old/NoMarksAtAll",
         WithOffsets({"Version=3.7", "Old Directory=/m/", "New Directory=/m/", "Old File=a",
                      "New File=b", std::string(kLogSeparator)}),
         {{false, 0, 0, O::Unknown, false, {}, false, false}}},
        {"outcome/RenamedThenUndone",
         WithOffsets({"Version=3.7", "Identity=12 1 7 8", "Old Directory=/m/", "New Directory=/n/",
                      "Old File=a", "New File=b", std::string(kLogSeparator), "Renamed={0}",
                      "Undone={0}"}),
         {{true, 12, 1, O::Renamed, true, {}, false, false}}},
        {"outcome/OneRecordEachAndACutOff",
         WithOffsets({"Identity=1 1 7 7", "Old Directory=/m/", "New Directory=/m/", "Old File=a",
                      "New File=b", std::string(kLogSeparator), "Failed={0}", "Identity=2 3 7 7",
                      "Old File=c", "New File=d", std::string(kLogSeparator), "Renamed={1}",
                      "Identity=- - - -", "Old File=e", "New File=f", std::string(kLogSeparator)}),
         {{true, 1, 1, O::Failed, false, {}, false, false},
          {true, 2, 3, O::Renamed, false, {}, false, false},
          {true, 0, 0, O::Unknown, false, {}, false, false}}},
        {"identity/OnlyForTheRecordRightAfterIt",
         WithOffsets({"Identity=1 1 7 7", std::string(kLogSeparator), "Old Directory=/m/",
                      "New Directory=/m/", "Old File=a", "New File=b"}),
         {{false, 0, 0, O::Unknown, false, {}, false, false}}},
        {"identity/MalformedIsNoIdentity",
         WithOffsets({"Identity=1 1 7", "Old Directory=/m/", "New Directory=/m/", "Old File=a",
                      "New File=b", "Identity=1 x 7 7", "Old File=c", "New File=d"}),
         {{false, 0, 0, O::Unknown, false, {}, false, false},
          {false, 0, 0, O::Unknown, false, {}, false, false}}},
        {"marks/NamingNoRecordIgnored",
         WithOffsets({"Identity=1 1 7 7", "Old Directory=/m/", "New Directory=/m/", "Old File=a",
                      "New File=b", "Renamed=3", "Undone=99999999999999999999",
                      "Failed=", "Undone=-1"}),
         {{true, 1, 1, O::Unknown, false, {}, false, false}}},
        {"marks/TornLastMarkIgnored",
         WithOffsets({"Identity=1 1 7 7", "Old Directory=/m/", "New Directory=/m/", "Old File=a",
                      "New File=b", std::string(kLogSeparator)}) +
             "Renamed=" +
             std::to_string(
                 WithOffsets({"Identity=1 1 7 7", "Old Directory=/m/", "New Directory=/m/"})
                     .size()),
         {{true, 1, 1, O::Unknown, false, {}, false, false}}},
        {"marks/StepsAndClaims",
         WithOffsets({"Identity=1 1 7 7", "Old Directory=/m/", "New Directory=/m/", "Old File=A",
                      "New File=a", std::string(kLogSeparator), "Temporary={0} old .t 1.tmp",
                      "Claimed={0} new", "Claimed={0} old", "Unclaimed={0} old",
                      "Temporary={0} new .t2", "Temporary={0} elsewhere .t3", "Claimed={0} up"}),
         {{true, 1, 1, O::Unknown, false, {{false, u".t 1.tmp"}, {true, u".t2"}}, false, true}}},
        {"undone/WithoutOutcome",
         WithOffsets({"Old Directory=/m/", "New Directory=/m/", "Old File=a", "New File=b",
                      std::string(kLogSeparator), "Undone={0}"}),
         {{false, 0, 0, O::Unknown, true, {}, false, false}}},
    };
    for (const MarkCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<UndoRecord> records = ParseLogForUndo(c.bytes);
        ASSERT_EQ(records.size(), c.expected.size());
        for (std::size_t i = 0; i < records.size(); ++i) {
            SCOPED_TRACE(i);
            const UndoRecord& r = records[i];
            const MarkCase::Expected& e = c.expected[i];
            EXPECT_EQ(r.marked, e.marked);
            EXPECT_EQ(r.itemInode, e.itemInode);
            EXPECT_EQ(r.itemLinks, e.itemLinks);
            EXPECT_EQ(r.outcome, e.outcome);
            EXPECT_EQ(r.undone, e.undone);
            EXPECT_EQ(r.temporarySteps, e.steps);
            EXPECT_EQ(r.claimedOld, e.claimedOld);
            EXPECT_EQ(r.claimedNew, e.claimedNew);
            EXPECT_EQ(c.bytes.substr(r.offset, 9), "Old File=");
        }
        // The records themselves read as a reader of the original format reads them.
        std::vector<LogRecord> names;
        for (const UndoRecord& r : records)
            names.push_back(r.names);
        EXPECT_EQ(ParseLog(c.bytes), names);
    }
}

// The stamps of "Identity=" as the writer writes them come back whole, each part that was
// known and no other; an identity with a stamp out of shape is no identity.
TEST(LogParserTest, StampsOfTheItemAndItsFolders) {
    ItemStamp full;
    full.hasBirth = true;
    full.birthSeconds = 1796800757;
    full.birthNanoseconds = 5;
    full.handleType = 1;
    full.handle = std::string("\x83\x40\0\xff", 4);
    ItemStamp birthOnly;
    birthOnly.hasBirth = true;
    birthOnly.birthSeconds = -2;
    birthOnly.birthNanoseconds = 999999999;
    ItemStamp handleOnly;
    handleOnly.handleType = 0x81;
    handleOnly.handle = "\x01\x02\x03";
    ItemStamp none;
    std::string fields;
    for (const ItemStamp* stamp : {&full, &birthOnly, &handleOnly, &none}) {
        fields += ' ';
        AppendStampField(fields, stamp);
    }
    EXPECT_EQ(fields, " 1796800757.000000005/1:834000ff -2.999999999/- -/129:010203 -");

    const auto identity = [](const std::string& stamps) {
        return WithOffsets({"Version=3.7", "Identity=12 1 7 8" + stamps, "Old Directory=/m/",
                            "New Directory=/n/", "Old File=a", "New File=b"});
    };
    std::string three;
    for (const ItemStamp* stamp : {&full, &birthOnly, &handleOnly}) {
        three += ' ';
        AppendStampField(three, stamp);
    }
    const std::vector<UndoRecord> read = ParseLogForUndo(identity(three));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_TRUE(read[0].marked);
    EXPECT_EQ(read[0].itemStamp, full);
    EXPECT_EQ(read[0].oldFolderStamp, birthOnly);
    EXPECT_EQ(read[0].newFolderStamp, handleOnly);
    EXPECT_EQ(read[0].oldFolderInode, 7u);

    const struct {
        const char* name;
        std::string stamps;
    } malformed[] = {
        {"two/OfThree", " - -"},
        {"four/OfThree", " - - - -"},
        {"birth/NanosecondsShort", " 17.5/- - -"},
        {"birth/NoDot", " 17/- - -"},
        {"handle/OddHex", " -/1:abc - -"},
        {"handle/UpperCaseHex", " -/1:AB - -"},
        {"handle/NoType", " -/:ab - -"},
        {"handle/LongerThanAnyHandle", " -/1:" + std::string(258, 'a') + " - -"},
        {"stamp/BothPartsUnknownSpelledOut", " -/- - -"},
    };
    for (const auto& c : malformed) {
        SCOPED_TRACE(c.name);
        const std::vector<UndoRecord> records = ParseLogForUndo(identity(c.stamps));
        ASSERT_EQ(records.size(), 1u);
        EXPECT_FALSE(records[0].marked);
        EXPECT_TRUE(records[0].itemStamp.empty());
    }
}

// A folder's stamp given as "=" is the one written in full last for that folder of the
// record (old or new), whatever records without stamps came between; with none before it,
// the folder's stamp is unknown and the record keeps the rest of its identity. The item's
// own stamp is always in full.
TEST(LogParserTest, FolderStampsWrittenOnceForTheRecordsAfter) {
    const std::string a = " 100.000000001/1:0a";
    const std::string b = " 200.000000002/1:0b";
    const std::string c = " 300.000000003/1:0c";
    ItemStamp stampA;
    stampA.hasBirth = true;
    stampA.birthSeconds = 100;
    stampA.birthNanoseconds = 1;
    stampA.handleType = 1;
    stampA.handle = "\x0a";
    ItemStamp stampB = stampA;
    stampB.birthSeconds = 200;
    stampB.birthNanoseconds = 2;
    stampB.handle = "\x0b";
    const auto records = [](std::vector<std::string> identities) {
        std::vector<std::string> lines = {"Version=3.7"};
        for (std::size_t i = 0; i < identities.size(); ++i) {
            lines.push_back("Identity=" + identities[i]);
            if (i == 0) {
                lines.push_back("Old Directory=/m/");
                lines.push_back("New Directory=/n/");
            }
            lines.push_back("Old File=a" + std::to_string(i));
            lines.push_back("New File=b" + std::to_string(i));
            lines.push_back(std::string(kLogSeparator));
        }
        return ParseLogForUndo(WithOffsets(lines));
    };
    const struct {
        const char* name;
        std::vector<std::string> identities;
        bool marked;
        ItemStamp oldFolder;
        ItemStamp newFolder;
    } cases[] = {
        {"same/AsTheRecordBefore",
         {"1 1 7 8" + c + a + b, "2 1 7 8" + c + " = ="},
         true,
         stampA,
         stampB},
        {"same/PastRecordsWithoutStamps",
         {"1 1 7 8" + c + a + b, "2 1 7 8", "3 1 7 8" + c + " = ="},
         true,
         stampA,
         stampB},
        {"same/EachFolderOnItsOwn",
         {"1 1 7 8" + c + a + b, "2 1 7 8" + c + " =" + a},
         true,
         stampA,
         stampA},
        {"same/TheLastInFull",
         {"1 1 7 8" + c + a + a, "2 1 7 8" + c + b + " =", "3 1 7 8" + c + " = ="},
         true,
         stampB,
         stampA},
        {"same/NothingBefore", {"1 1 7 8" + c + " = ="}, true, {}, {}},
        {"same/NoItemStampSoSpelled", {"1 1 7 8" + c + a + b, "2 1 7 8 =" + a + b}, false, {}, {}},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        const std::vector<UndoRecord> read = records(t.identities);
        ASSERT_EQ(read.size(), t.identities.size());
        const UndoRecord& last = read.back();
        EXPECT_EQ(last.marked, t.marked);
        EXPECT_EQ(last.oldFolderStamp, t.oldFolder);
        EXPECT_EQ(last.newFolderStamp, t.newFolder);
        if (t.marked) {
            EXPECT_EQ(last.itemInode, t.identities.size());
        }
    }
}

// Undo reads the log a chunk at a time into compact records: lines across the chunks'
// edges, values far longer than any name, and many records read as from whole bytes.
TEST(LogParserTest, ReadInChunksAsFromWholeBytes) {
    std::string bytes = "Version=3.7\r\n";
    std::vector<LogRecord> expected;
    const std::string huge(3 << 20, 'n');
    for (int i = 0; i < 20000; ++i) {
        const std::string folder = "/f" + std::to_string(i / 100) + "/";
        const std::string oldName = i == 7 ? huge : "old" + std::to_string(i);
        const std::string newName = "new" + std::to_string(i);
        bytes += "Identity=" + std::to_string(i + 1) + " 1 2 2\r\n";
        bytes += "Old Directory=" + folder + "\r\nNew Directory=" + folder + "\r\n";
        bytes += "Old File=" + oldName + "\r\nNew File=" + newName + "\r\n";
        bytes += std::string(kLogSeparator) + "\r\n";
        expected.push_back(
            {DecodeName(folder), DecodeName(folder), DecodeName(oldName), DecodeName(newName)});
    }
    // The log's size, where given, takes the room at once; a size too small (a log that
    // grew as it was read) only means growing.
    const struct {
        std::size_t chunk;
        std::uint64_t sizeHint;
    } reads[] = {{7, 0}, {4096, 0}, {std::size_t{1} << 20, 0}, {4096, bytes.size()}, {4096, 100}};
    for (const auto& [chunk, sizeHint] : reads) {
        SCOPED_TRACE(::testing::Message() << chunk << " " << sizeHint);
        UndoLog log;
        std::size_t given = 0;
        const bool read = log.Read(
            [&](char* buffer, std::size_t size) -> long {
                const std::size_t count = std::min({size, chunk, bytes.size() - given});
                std::memcpy(buffer, bytes.data() + given, count);
                given += count;
                return static_cast<long>(count);
            },
            sizeHint);
        EXPECT_TRUE(read);
        ASSERT_EQ(log.size(), expected.size());
        for (std::size_t i = 0; i < log.size(); i += 997) {
            const UndoRecord record = log.At(i);
            EXPECT_EQ(record.names, expected[i]);
            EXPECT_EQ(record.itemInode, i + 1);
        }
        EXPECT_EQ(log.At(7).names, expected[7]);
        EXPECT_EQ(log.completeBytes(), bytes.size());
        EXPECT_TRUE(log.endsClosed());
    }
    UndoLog failed;
    EXPECT_FALSE(failed.Read([](char*, std::size_t) -> long { return -1; }));

    // Records of empty names only, read without the log's size: nothing to copy, nowhere.
    const std::string empty = "Old Directory=/\nNew Directory=/\nOld File=\nNew File=\n";
    bool given = false;
    UndoLog emptyNames;
    EXPECT_TRUE(emptyNames.Read([&](char* buffer, std::size_t size) -> long {
        if (given || size < empty.size())
            return 0;
        given = true;
        std::memcpy(buffer, empty.data(), empty.size());
        return static_cast<long>(empty.size());
    }));
    ASSERT_EQ(emptyNames.size(), 1u);
    EXPECT_EQ(emptyNames.At(0).names, (LogRecord{u"/", u"/", u"", u""}));
}

}  // namespace
}  // namespace brindle
