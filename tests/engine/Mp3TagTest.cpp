#include "engine/Mp3Tag.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/Mp3TagBytes.h"
#include "tests/support/TempFolder.h"

namespace brindle {
namespace {

using testing::Tag;
using testing::WithTrack;

TEST(Mp3TagTest, ReadsTheLastBytesOfTheFile) {
    struct Row {
        const char* name;
        std::string contents;
        std::u16string title, artist, album, year;
        int track;
    };
    const std::string audio(300, '\xFF');
    const std::string song = Tag("Song", "Art", "Album", "1999");
    const Row rows[] = {
        {"none/ShorterThanATag", song.substr(1), u"", u"", u"", u"", 0},
        {"none/LowerCaseMarker", Tag("Song", "Art", "Album", "1999", {}, "tag"), u"", u"", u"", u"",
         0},
        {"none/TagNotAtTheEnd", song + "trailing", u"", u"", u"", u"", 0},
        {"tag/ExactlyATag", song, u"Song", u"Art", u"Album", u"1999", 0},
        {"tag/AfterAudio", audio + song, u"Song", u"Art", u"Album", u"1999", 0},
        {"slots/TrailingSpacesKept", Tag("", "Abc" + std::string(27, ' '), "", ""), u"",
         u"Abc" + std::u16string(27, u' '), u"", u"", 0},
        {"slots/EndAtFirstZero", Tag(std::string("Ab\0cd", 5), "", "", std::string("19\0\x39", 4)),
         u"Ab", u"", u"", u"19", 0},
        {"slots/NeighboursDoNotSpill",
         Tag(std::string(30, 'a'), std::string(30, 'b'), std::string(30, 'c'), "2024",
             std::string(30, 'd')),
         std::u16string(30, u'a'), std::u16string(30, u'b'), std::u16string(30, u'c'), u"2024", 0},
        {"text/Utf8", Tag("Caf\xC3\xA9", "\xD0\x96\xD1\x83\xD0\xBA", "", ""), u"Café", u"Жук", u"",
         u"", 0},
        {"text/Latin1", Tag("Caf\xE9", "M\xFCller", "", ""), u"Café", u"Müller", u"", u"", 0},
        {"track/V10CommentFillsSlot", Tag("", "", "", "", std::string(30, 'c')), u"", u"", u"", u"",
         0},
        {"track/V11Seven", WithTrack(song, 7), u"Song", u"Art", u"Album", u"1999", 7},
        {"track/V11Unsigned", WithTrack(song, 200), u"Song", u"Art", u"Album", u"1999", 200},
    };
    testing::TempFolder folder;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        folder.createFile("x.mp3", row.contents);
        CMp3Tag tag;
        EXPECT_TRUE(tag.Read(folder.folder() + u"x.mp3"));
        EXPECT_EQ(tag.title(), row.title);
        EXPECT_EQ(tag.artist(), row.artist);
        EXPECT_EQ(tag.album(), row.album);
        EXPECT_EQ(tag.year(), row.year);
        EXPECT_EQ(tag.track(), row.track);
    }
}

TEST(Mp3TagTest, FailedReadLeavesResetValues) {
    testing::TempFolder folder;
    folder.createFile("x.mp3", WithTrack(Tag("Song", "Art", "Album", "1999"), 5));
    CMp3Tag tag(folder.folder() + u"x.mp3");
    EXPECT_EQ(tag.title(), u"Song");

    EXPECT_FALSE(tag.Read(folder.folder() + u"missing.mp3"));
    EXPECT_EQ(tag.title() + tag.artist() + tag.album() + tag.year(), u"");
    EXPECT_EQ(tag.track(), 0);
}

}  // namespace
}  // namespace brindle
