#include "engine/PatternCreator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "tests/support/TempFolder.h"

namespace brindle {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct Row {
    const char* name;
    std::u16string pattern;
    std::u16string input = u"a.txt";
    std::u16string expected;
    std::int32_t startIndex = 0;
    std::optional<std::int32_t> indexAfter = {};  // unchanged when not given
    char16_t letter = u'a';
    std::optional<char16_t> letterAfter = {};
    bool withoutExtension = false;
    std::u16string directory = u"/music/Rock/";
};

TEST(PatternCreatorTest, BuildsNamesFromEscapes) {
    const Row rows[] = {
        {.name = "number/Width3",
         .pattern = u"/3",
         .expected = u"007.txt",
         .startIndex = 7,
         .indexAfter = 8},
        {.name = "number/WiderThanWidth",
         .pattern = u"/3",
         .expected = u"1234.txt",
         .startIndex = 1234,
         .indexAfter = 1235},
        {.name = "number/Width0IsPlain",
         .pattern = u"/0",
         .expected = u"7.txt",
         .startIndex = 7,
         .indexAfter = 8},
        {.name = "number/Width1IsPlain",
         .pattern = u"/1",
         .expected = u"-7.txt",
         .startIndex = -7,
         .indexAfter = -6},
        {.name = "number/SignInsideWidth",
         .pattern = u"/3",
         .expected = u"-05.txt",
         .startIndex = -5,
         .indexAfter = -4},
        {.name = "number/Width9",
         .pattern = u"/9",
         .expected = u"000000042.txt",
         .startIndex = 42,
         .indexAfter = 43},
        {.name = "number/Minimum",
         .pattern = u"/9",
         .expected = u"-2147483648.txt",
         .startIndex = kMin,
         .indexAfter = kMin + 1},
        {.name = "number/WrapsAtMaximum",
         .pattern = u"/1/1",
         .expected = u"2147483647-2147483648.txt",
         .startIndex = kMax,
         .indexAfter = kMin + 1},
        {.name = "number/TwoEscapes",
         .pattern = u"/3/3",
         .expected = u"000001.txt",
         .indexAfter = 2},
        {.name = "number/Track",
         .pattern = u"Track/2",
         .input = u"song.mp3",
         .expected = u"Track01.mp3",
         .startIndex = 1,
         .indexAfter = 2},
        {.name = "name/WithoutItsExtension",
         .pattern = u"/O-copy",
         .input = u"a.b.txt",
         .expected = u"a.b-copy.txt"},
        {.name = "name/EveryExtensionOccurrence",
         .pattern = u"/O",
         .input = u"x.mp3.mp3",
         .expected = u"x.mp3"},
        {.name = "name/NoDotIsAllExtension",
         .pattern = u"X/O",
         .input = u"README",
         .expected = u"XREADME"},
        {.name = "name/WithoutExtensionOption",
         .pattern = u"/O-/1",
         .input = u"a.b",
         .expected = u"a.b-3",
         .startIndex = 3,
         .indexAfter = 4,
         .withoutExtension = true},
        {.name = "literal/LowerCaseEscape", .pattern = u"/o", .expected = u"o.txt"},
        {.name = "literal/FirstCharNeverEscape", .pattern = u"O3CD", .expected = u"O3CD.txt"},
        {.name = "literal/AfterEscapeLetter", .pattern = u"/OC", .expected = u"aC.txt"},
        {.name = "literal/TagEscapeOffMp3", .pattern = u"\\A\\C\\N", .expected = u"ACN.txt"},
        {.name = "prefix/Deleted", .pattern = u"a/b\\c", .expected = u"abc.txt"},
        {.name = "prefix/CopiedSlashStartsEscape",
         .pattern = u"\\/C",
         .expected = u"q.txt",
         .letter = u'q',
         .letterAfter = u'r'},
        {.name = "prefix/DoubledSlash", .pattern = u"//O", .expected = u"a.txt"},
        {.name = "prefix/OnlySlashes", .pattern = u"/\\/", .expected = u".txt"},
        {.name = "letter/WrapsAfterZ",
         .pattern = u"/C/C",
         .expected = u"yz.txt",
         .letter = u'y',
         .letterAfter = u'a'},
        {.name = "letter/OutOfRangeRestartsAtA",
         .pattern = u"/C",
         .expected = u"a.txt",
         .letter = u'{',
         .letterAfter = u'b'},
        {.name = "folder/Name", .pattern = u"/D", .expected = u"Rock.txt"},
        {.name = "folder/Root", .pattern = u"/D", .expected = u".txt", .directory = u"/"},
        {.name = "folder/ColonIsOrdinary",
         .pattern = u"/D",
         .expected = u"12:30.txt",
         .directory = u"/calls/12:30/"},
        {.name = "folder/BackslashDeleted",
         .pattern = u"/D",
         .expected = u"ACDC.txt",
         .directory = u"/m/AC\\DC/"},
        {.name = "folder/NotAfterSlash", .pattern = u"xD", .expected = u"xD.txt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::int32_t index = row.startIndex;
        char16_t letter = row.letter;
        const std::u16string itemPath = row.directory + row.input;
        PatternContext context{index, letter, row.withoutExtension, row.directory, itemPath};
        EXPECT_EQ(CreatePatternName(row.pattern, row.input, context), row.expected);
        EXPECT_EQ(index, row.indexAfter.value_or(row.startIndex));
        EXPECT_EQ(letter, row.letterAfter.value_or(row.letter));
    }
}

TEST(PatternCreatorTest, CountersCarryOnFromItemToItem) {
    std::int32_t index = 0;
    char16_t letter = u'y';
    PatternContext context{index, letter, false, u"/f/", u""};
    EXPECT_EQ(CreatePatternName(u"/O_/C", u"a.txt", context), u"a_y.txt");
    EXPECT_EQ(CreatePatternName(u"/O_/C", u"b.txt", context), u"b_z.txt");
    EXPECT_EQ(CreatePatternName(u"/O_/C", u"c.txt", context), u"c_a.txt");
    EXPECT_EQ(letter, u'b');
}

std::string TagBytes(const std::string& title, const std::string& artist, const std::string& album,
                     const std::string& year, unsigned char track) {
    std::string tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, title.size(), title);
    tag.replace(33, artist.size(), artist);
    tag.replace(63, album.size(), album);
    tag.replace(93, year.size(), year);
    tag[126] = static_cast<char>(track);
    return tag;
}

TEST(PatternCreatorTest, TagEscapesReadTheItemOnDisk) {
    struct TagRow {
        const char* name;
        std::string file;  // contents of the item on disk; "-" for none
        std::u16string pattern, input, expected;
        bool withoutExtension = false;
    };
    const std::string tag = TagBytes("Song", "Art", "Alb ", "2001", 7);
    const TagRow rows[] = {
        {"tag/ArtistTitle", tag, u"\\A - \\T", u"x.mp3", u"Art - Song.mp3"},
        {"tag/AlbumYearTrack", tag, u"\\C|\\Y|\\N", u"x.mp3", u"Alb |2001|7.mp3"},
        {"tag/SlashesInTagDeleted", TagBytes("", "AC/DC\\", "", "", 0), u"\\A", u"x.mp3",
         u"ACDC.mp3"},
        {"mp3Test/UpperCaseExtension", tag, u"\\A - \\T", u"x.MP3", u"A - T.MP3"},
        {"mp3Test/WithoutExtensionSeesNoMp3", tag, u"\\A - \\T", u"x", u"A - T", true},
        {"mp3Test/IncomingNameDecides", tag, u"\\T", u"renamed.mp3", u"Song.mp3"},
        {"noTag/TrackIsZero", std::string(200, 'a'), u"\\A\\T\\C\\Y\\N", u"x.mp3", u"0.mp3"},
        {"noTag/MissingFile", "-", u"\\A\\N", u"x.mp3", u"0.mp3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing::TempFolder folder;
        if (row.file != "-")
            folder.createFile("On Disk.mp3", row.file);
        std::int32_t index = 0;
        char16_t letter = u'a';
        const std::u16string directory = folder.folder();
        const std::u16string itemPath = directory + u"On Disk.mp3";
        PatternContext context{index, letter, row.withoutExtension, directory, itemPath};
        EXPECT_EQ(CreatePatternName(row.pattern, row.input, context), row.expected);
    }
}

}  // namespace
}  // namespace brindle
