// The stages a batch's options pick, in their order, with the extension set aside around
// them for "w/o File Extension".
#include "engine/NameChain.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/CaseConversion.h"
#include "tests/support/Mp3TagBytes.h"
#include "tests/support/TempFolder.h"

namespace brindle {
namespace {

NameChain ChainOf(const RenameSettings& options, const ReplacementTable* table = nullptr) {
    ParsedPattern parsed = ParseNamePattern(options.namePattern);
    EXPECT_EQ(parsed.error, std::nullopt);
    return NameChain(options, table, std::move(parsed.pattern));
}

TEST(NameChainTest, StagesRunInTheirOrder) {
    struct Row {
        const char* name;
        std::function<void(RenameSettings&)> set;
        std::u16string input, expected;
        std::int32_t symbolCount = -1;  // -1: left as it was
    };
    const Row rows[] = {
        {"none/Unchanged", [](RenameSettings&) {}, u"My File.TXT", u"My File.TXT"},
        {"aside/OnlyTheLastExtension",
         [](RenameSettings& o) {
             o.withoutExtension = true;
             o.conversionMode = kToUpperCase;
         },
         u"Report.pdf.final.pdf", u"REPORT.PDF.FINAL.pdf"},
        {"aside/NothingElseChangesNothing", [](RenameSettings& o) { o.withoutExtension = true; },
         u"v1.txt and v2.txt.txt", u"v1.txt and v2.txt.txt"},
        {"aside/DoubledExtensionStays", [](RenameSettings& o) { o.withoutExtension = true; },
         u"a.txt.txt", u"a.txt.txt"},
        {"aside/AfterTheDoubledExtension",
         [](RenameSettings& o) {
             o.duplicateExtension = true;
             o.withoutExtension = true;
             o.namePattern = u"/O!";
         },
         u"a.txt.txt", u"a!.txt"},
        {"aside/NoDotIsAllExtension",
         [](RenameSettings& o) {
             o.withoutExtension = true;
             o.namePattern = u"X";
         },
         u"README", u"XREADME"},
        {"pattern/NoDotIsAllExtension", [](RenameSettings& o) { o.namePattern = u"X"; }, u"README",
         u"XREADME"},
        {"count/WholeName",
         [](RenameSettings& o) {
             o.countSymbols = true;
             o.replaceWhat = u"a";
             o.replaceWith = u"aaa";
         },
         u"ab.txt", u"aaab.txt", 6},
        {"count/WithoutExtension",
         [](RenameSettings& o) {
             o.countSymbols = true;
             o.withoutExtension = true;
         },
         u"ab.txt", u"ab.txt", 2},
        {"order/CaseBeforeReplace",
         [](RenameSettings& o) {
             o.conversionMode = kToUpperCase;
             o.replaceWhat = u"A";
             o.replaceWith = u"x";
         },
         u"abc.txt", u"xBC.TXT"},
        {"order/ReplaceBeforePattern",
         [](RenameSettings& o) {
             o.replaceWhat = u"a";
             o.replaceWith = u"b";
             o.namePattern = u"/O-/O";
         },
         u"a.txt", u"b-b.txt"},
        {"order/PatternBeforeLengthCut",
         [](RenameSettings& o) {
             o.namePattern = u"/O_long_suffix";
             o.force63 = true;
             o.force63Length = 8;
         },
         u"a.txt", u"alon.txt"},
        {"order/LengthCutInsideTheAside",
         [](RenameSettings& o) {
             o.withoutExtension = true;
             o.force63 = true;
             o.force63Length = 3;
         },
         u"abcdef.txt", u"abc.txt"},
        {"lengthCut/DoubledExtension",
         [](RenameSettings& o) {
             o.force63 = true;
             o.force63Length = 10;
         },
         u"photo.jpeg.jpeg", u"photo.jpeg"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RenameSettings options;
        row.set(options);
        const NameChain chain = ChainOf(options);
        NameCounters counters{.symbolCount = -1};
        EXPECT_EQ(chain.NewName(ItemFacts(u"/f/", row.input), counters), row.expected);
        EXPECT_EQ(counters.symbolCount, row.symbolCount);
    }
}

TEST(NameChainTest, OnlyEnglishTakesThePlaceOfReplace) {
    RenameSettings options;
    options.onlyEnglish = true;
    options.replaceWhat = u"z";
    options.replaceWith = u"Q";
    const ReplacementTable table = {{u"\u0436", u"zh"}};
    NameCounters counters;
    EXPECT_EQ(ChainOf(options, &table).NewName(ItemFacts(u"/f/", u"\u0436.txt"), counters),
              u"zh.txt");
    // Without its table, replace applies.
    EXPECT_EQ(ChainOf(options).NewName(ItemFacts(u"/f/", u"z.txt"), counters), u"Q.txt");
}

// The running number and letter go on from item to item, and one chain names them all
// with the same scratch space.
TEST(NameChainTest, CountersGoOnFromItemToItem) {
    RenameSettings options;
    options.withoutExtension = true;
    options.namePattern = u"/C/2";
    const NameChain chain = ChainOf(options);
    NameCounters counters{.startIndex = 9, .letter = u'y'};
    EXPECT_EQ(chain.NewName(ItemFacts(u"/f/", u"long first name.jpeg"), counters), u"y09.jpeg");
    EXPECT_EQ(chain.NewName(ItemFacts(u"/f/", u"b.c"), counters), u"z10.c");
    EXPECT_EQ(chain.NewName(ItemFacts(u"/f/", u"README"), counters), u"a11README");
    EXPECT_EQ(counters, (NameCounters{12, u'b', 0}));
}

TEST(NameChainTest, TagEscapesFollowTheFileOnDisk) {
    struct Row {
        const char* name;
        std::string disk;
        std::function<void(RenameSettings&)> set;
        std::u16string expected;
    };
    const Row rows[] = {
        {"upperCaseExtension", "x.MP3", [](RenameSettings&) {}, u"Art - Song.MP3"},
        {"afterUpperCase", "x.mp3", [](RenameSettings& o) { o.conversionMode = kToUpperCase; },
         u"Art - Song.MP3"},
        {"extensionSetAside", "x.mp3", [](RenameSettings& o) { o.withoutExtension = true; },
         u"Art - Song.mp3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing::TempFolder folder;
        folder.createFile(row.disk, testing::Tag("Song", "Art", "", ""));
        RenameSettings options;
        options.namePattern = u"\\A - \\T";
        row.set(options);
        NameCounters counters;
        const std::u16string disk(row.disk.begin(), row.disk.end());
        EXPECT_EQ(ChainOf(options).NewName(ItemFacts(folder.folder(), disk), counters),
                  row.expected);
    }
}

}  // namespace
}  // namespace brindle
