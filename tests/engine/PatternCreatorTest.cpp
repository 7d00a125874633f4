#include "engine/PatternCreator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "tests/support/Mp3TagBytes.h"
#include "tests/support/TempFolder.h"

namespace brindle {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

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
        std::int32_t index = row.startIndex;
        char16_t letter = u'a';
        PatternContext context{index, letter, false, u"/f/", u"/f/a.txt", u"a.txt"};
        EXPECT_EQ(CreatePatternName(row.pattern, u"a.txt", context), row.expected);
        EXPECT_EQ(index, row.indexAfter);
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
        std::int32_t index = 0;
        char16_t letter = u'q';
        const std::u16string itemPath = row.directory + row.input;
        PatternContext context{index,         letter,   row.withoutExtension,
                               row.directory, itemPath, row.input};
        EXPECT_EQ(CreatePatternName(row.pattern, row.input, context), row.expected);
    }
}

TEST(PatternCreatorTest, LetterCounterCarriesOnFromItemToItem) {
    std::int32_t index = 0;
    char16_t letter = u'y';
    PatternContext context{index, letter, false, u"/f/", u"", u""};
    EXPECT_EQ(CreatePatternName(u"/O_/C", u"a.txt", context), u"a_y.txt");
    EXPECT_EQ(CreatePatternName(u"/O_/C", u"b.txt", context), u"b_z.txt");
    EXPECT_EQ(CreatePatternName(u"/O_/C", u"c.txt", context), u"c_a.txt");
    EXPECT_EQ(letter, u'b');
    EXPECT_EQ(index, 0);

    letter = u'{';  // outside 'a'..'z': starts over
    EXPECT_EQ(CreatePatternName(u"/C", u"a.txt", context), u"a.txt");
    EXPECT_EQ(letter, u'b');
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
        std::int32_t index = 0;
        char16_t letter = u'a';
        const std::u16string directory = folder.folder();
        const std::u16string disk(row.disk.begin(), row.disk.end());
        const std::u16string itemPath = directory + disk;
        PatternContext context{index, letter, row.withoutExtension, directory, itemPath, disk};
        EXPECT_EQ(CreatePatternName(row.pattern, row.input, context), row.expected);
    }
}

}  // namespace
}  // namespace brindle
