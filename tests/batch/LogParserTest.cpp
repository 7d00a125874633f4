#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "batch/LogParser.h"

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

}  // namespace
}  // namespace brindle
