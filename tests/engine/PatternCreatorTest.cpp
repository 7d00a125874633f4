#include "engine/PatternCreator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "engine/NameStages.h"
#include "tests/support/Mp3TagBytes.h"
#include "tests/support/TempFolder.h"

namespace brindle {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// What the pattern stage makes of `name`, an item of `item`.
std::u16string Built(std::u16string_view pattern, std::u16string_view name, const ItemFacts& item,
                     NameCounters& counters, bool withoutExtension = false) {
    ParsedPattern parsed = ParseNamePattern(pattern);
    EXPECT_EQ(parsed.error, std::nullopt);
    const PatternStage stage(std::move(parsed.pattern),
                             withoutExtension ? ExtensionPlace::SetAside : ExtensionPlace::InName);
    std::u16string result(name);
    stage.Apply(result, item, counters);
    return result;
}

TEST(PatternCreatorTest, NumbersArePrintfPadded) {
    struct Row {
        const char* name;
        std::u16string pattern;
        std::int32_t startIndex;
        std::u16string expected;
        std::int32_t indexAfter;
    };
    const Row rows[] = {
        {"width/Three", u"/3", 7, u"007.txt", 8},
        {"width/NumberIsWider", u"/3", 1234, u"1234.txt", 1235},
        {"width/ZeroIsPlain", u"/0", 7, u"7.txt", 8},
        {"width/OneIsPlain", u"/1", -7, u"-7.txt", -6},
        {"sign/InsideWidth", u"/3", -5, u"-05.txt", -4},
        {"limits/Minimum", u"/9", kMin, u"-2147483648.txt", kMin + 1},
        {"limits/WrapsAtMaximum", u"/1/1", kMax, u"2147483647-2147483648.txt", kMin + 1},
        {"count/TwoEscapes", u"/3/3", 0, u"000001.txt", 2},
        {"count/AfterLiteral", u"Track/2", 1, u"Track01.txt", 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        NameCounters counters{.startIndex = row.startIndex};
        EXPECT_EQ(Built(row.pattern, u"a.txt", ItemFacts(u"/f/", u"a.txt"), counters),
                  row.expected);
        EXPECT_EQ(counters.startIndex, row.indexAfter);
    }
}

TEST(PatternCreatorTest, BuildsNamesFromEscapes) {
    struct Row {
        const char* name;
        std::u16string pattern, input, directory, expected;
        bool withoutExtension = false;
    };
    const Row rows[] = {
        {"name/WithoutItsExtension", u"/O-copy", u"a.b.txt", u"/f/", u"a.b-copy.txt"},
        {"name/OnlyTheLastExtension", u"/O", u"x.mp3.mp3", u"/f/", u"x.mp3.mp3"},
        {"name/ExtensionAlsoInsideTheName", u"/O-x", u"my.doc.notes.doc", u"/f/",
         u"my.doc.notes-x.doc"},
        {"name/NoDotIsAllExtension", u"X/O", u"README", u"/f/", u"XREADME"},
        {"name/WithoutExtensionOption", u"/O!", u"a.b", u"/f/", u"a.b!", true},
        {"literal/LowerCaseEscape", u"/o", u"a.txt", u"/f/", u"o.txt"},
        {"literal/FirstCharNeverEscape", u"O3CD", u"a.txt", u"/f/", u"O3CD.txt"},
        {"literal/AfterEscapeLetter", u"/OC", u"a.txt", u"/f/", u"aC.txt"},
        {"literal/TagEscapeOffMp3", u"\\A\\C\\N", u"a.txt", u"/f/", u"ACN.txt"},
        {"prefix/Deleted", u"a/b\\c", u"a.txt", u"/f/", u"abc.txt"},
        {"prefix/CopiedSlashStartsEscape", u"\\/C", u"a.txt", u"/f/", u"q.txt"},
        {"folder/Name", u"/D", u"a.txt", u"/music/Rock/", u"Rock.txt"},
        {"folder/Root", u"/D", u"a.txt", u"/", u".txt"},
        {"folder/ColonIsOrdinary", u"/D", u"a.txt", u"/calls/12:30/", u"12:30.txt"},
        {"folder/BackslashDeleted", u"/D", u"a.txt", u"/m/AC\\DC/", u"ACDC.txt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        NameCounters counters{.letter = u'q'};
        EXPECT_EQ(Built(row.pattern, row.input, ItemFacts(row.directory, row.input), counters,
                        row.withoutExtension),
                  row.expected);
    }
}

TEST(PatternCreatorTest, LetterCounterCarriesOnFromItemToItem) {
    NameCounters counters{.letter = u'y'};
    const ItemFacts item(u"/f/", u"a.txt");
    EXPECT_EQ(Built(u"/O_/C", u"a.txt", item, counters), u"a_y.txt");
    EXPECT_EQ(Built(u"/O_/C", u"b.txt", item, counters), u"b_z.txt");
    EXPECT_EQ(Built(u"/O_/C", u"c.txt", item, counters), u"c_a.txt");
    EXPECT_EQ(counters.letter, u'b');
    EXPECT_EQ(counters.startIndex, 0);

    counters.letter = u'{';  // outside 'a'..'z': starts over
    EXPECT_EQ(Built(u"/C", u"a.txt", item, counters), u"a.txt");
    EXPECT_EQ(counters.letter, u'b');
}

TEST(PatternCreatorTest, TagEscapesReadTheItemOnDisk) {
    struct TagRow {
        const char* name;
        std::string file;  // contents of the item on disk; "-" for none
        std::string disk;  // its name on disk
        std::u16string pattern, input, expected;
        bool withoutExtension = false;
    };
    const std::string tag = testing::WithTrack(testing::Tag("Song", "Art", "Alb ", "2001"), 7);
    const TagRow rows[] = {
        {"tag/ArtistTitle", tag, "x.mp3", u"\\A - \\T", u"x.mp3", u"Art - Song.mp3"},
        {"tag/AlbumYearTrack", tag, "x.mp3", u"\\C|\\Y|\\N", u"x.mp3", u"Alb |2001|7.mp3"},
        {"tag/SlashesInTagDeleted", testing::WithTrack(testing::Tag("", "AC/DC\\", "", ""), 0),
         "x.mp3", u"\\A", u"x.mp3", u"ACDC.mp3"},
        {"mp3Test/UpperCaseExtension", tag, "x.MP3", u"\\A - \\T", u"x.MP3", u"Art - Song.MP3"},
        {"mp3Test/WorkingNameInUpperCase", tag, "x.mp3", u"\\A - \\T", u"x.MP3", u"Art - Song.MP3"},
        {"mp3Test/WithoutExtensionStillMp3", tag, "x.mp3", u"\\A - \\T", u"x", u"Art - Song", true},
        {"mp3Test/NameOnDiskDecides", tag, "On Disk.mp3", u"\\T", u"renamed.mp3", u"Song.mp3"},
        {"mp3Test/WorkingNameAloneIsNoMp3", tag, "x.txt", u"\\A - \\T", u"x.mp3", u"A - T.mp3"},
        {"noTag/TrackIsZero", std::string(200, 'a'), "x.mp3", u"\\A\\T\\C\\Y\\N", u"x.mp3",
         u"0.mp3"},
        {"noTag/MissingFile", "-", "x.mp3", u"\\A\\N", u"x.mp3", u"0.mp3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing::TempFolder folder;
        if (row.file != "-")
            folder.createFile(row.disk, row.file);
        NameCounters counters;
        const std::u16string directory = folder.folder();
        const std::u16string disk(row.disk.begin(), row.disk.end());
        EXPECT_EQ(Built(row.pattern, row.input, ItemFacts(directory, disk), counters,
                        row.withoutExtension),
                  row.expected);
    }
}

}  // namespace
}  // namespace brindle
