#include "engine/Filters.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/support/TempFolder.h"

namespace brindle {
namespace {

using testing::TempFolder;

struct NameRow {
    const char* name;
    std::u16string input;
    std::u16string expected;
};

TEST(FiltersTest, RemoveDuplicateExtensionOnlyDropsADoubledLastExtension) {
    const NameRow rows[] = {
        {"doubled/Mp3", u"song.mp3.mp3", u"song.mp3"},
        {"doubled/FourTimesBecomesTwice", u"a.zip.zip.zip.zip", u"a.zip.zip"},
        {"doubled/EveryOccurrence", u"a.mp3.mp3 b.mp3.mp3", u"a.mp3 b.mp3"},
        {"doubled/BareDot", u"x..", u"x."},
        {"kept/DifferentExtensions", u"a.zip.GetRight", u"a.zip.GetRight"},
        {"kept/CaseDiffers", u"a.MP3.mp3", u"a.MP3.mp3"},
        {"kept/TrailingDot", u"notes.", u"notes."},
        {"kept/NoDot", u"READMEREADME", u"READMEREADME"},
        {"kept/StartsWithDoubled", u".mp3.mp3", u".mp3.mp3"},
        {"kept/Empty", u"", u""},
        {"cyrillic/Doubled", u"песня.мп3.мп3", u"песня.мп3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(RemoveDuplicateExtension(row.input), row.expected);
    }
}

struct FilterRow {
    const char* name;
    std::string contents;
    std::u16string method;
    std::u16string input;
    std::u16string expected;
};

TEST(FiltersTest, ApplyFilterMethodAppliesThePairsInOrder) {
    const FilterRow rows[] = {
        {"order/LaterPairSeesEarlierOutput", "[custom]\nab|x\nx|y\n", u"Custom", u"abab", u"yy"},
        {"order/EarlierPairFirst", "[custom]\nx|y\nab|x\n", u"Custom", u"abab", u"xx"},
        {"pair/DeletesEvery", "[custom]\na|\n", u"Custom", u"banana", u"bnn"},
        {"pair/LeftToRightNonOverlapping", "[custom]\naa|b\n", u"Custom", u"aaaaa", u"bba"},
        {"pair/CaseSensitive", "[custom]\nA|b\n", u"Custom", u"aA", u"ab"},
        {"cyrillic/Transliterated", "[english]\n\xD0\xB6|zh\n", u"English", u"ёж ж", u"ёzh zh"},
        {"noSelection/EmptyHeader", "[]\na|b\n", u"", u"aa", u"bb"},
        {"noSelection/NamedSectionsUnused", "[english]\na|b\n", u"", u"aa", u"aa"},
        {"section/Missing", "[english]\na|b\n", u"Symbols", u"aa", u"aa"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        folder.createFile("Brindle.ini", row.contents);
        const FilterResult result =
            ApplyFilterMethod(row.input, folder.folder() + u"Brindle.ini", row.method);
        EXPECT_TRUE(result.tableOpened);
        EXPECT_EQ(result.name, row.expected);
    }
}

TEST(FiltersTest, ApplyFilterMethodReadsTheTableForEveryName) {
    TempFolder folder;
    const std::u16string path = folder.folder() + u"Brindle.ini";
    folder.createFile("Brindle.ini", "[custom]\na|b\n");
    EXPECT_EQ(ApplyFilterMethod(u"a", path, u"Custom").name, u"b");
    folder.createFile("Brindle.ini", "[custom]\na|c\n");
    EXPECT_EQ(ApplyFilterMethod(u"a", path, u"Custom").name, u"c");
}

TEST(FiltersTest, ApplyFilterMethodReportsAFileItCannotOpen) {
    TempFolder folder;
    const std::u16string path = folder.folder() + u"Brindle.ini";
    FilterResult result = ApplyFilterMethod(u"My File", path, u"Custom");
    EXPECT_FALSE(result.tableOpened);
    EXPECT_EQ(result.name, u"My File");

    folder.createFile("Brindle.ini", "[custom]\n |_\n");
    const int holder = ::open((folder.path() / "Brindle.ini").c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    result = ApplyFilterMethod(u"My File", path, u"Custom");
    ::close(holder);
    EXPECT_FALSE(result.tableOpened);
    EXPECT_EQ(result.name, u"My File");

    // Released again: the table applies.
    result = ApplyFilterMethod(u"My File", path, u"Custom");
    EXPECT_TRUE(result.tableOpened);
    EXPECT_EQ(result.name, u"My_File");
}

struct LengthRow {
    const char* name;
    std::u16string input;
    int length;
    bool withoutExtension;
    std::u16string expected;
};

TEST(FiltersTest, ForceLengthCutsLongNames) {
    const LengthRow rows[] = {
        {"short/Unchanged", u"a b_c.txt", 9, false, u"a b_c.txt"},
        {"short/Empty", u"", 0, false, u""},
        {"spaces/Enough", u"a b c.txt", 7, false, u"abc.txt"},
        {"underscores/AfterSpaces", u"a _b.txt", 6, false, u"ab.txt"},
        {"cut/SpacesThenTail", u"my long file name.txt", 10, false, u"mylong.txt"},
        {"cut/ExactLength", u"abcdefgh.txt", 8, false, u"abcd.txt"},
        {"cut/TailOccursTwice", u"abcab.txt", 7, false, u"abc.txt"},
        {"cut/ExtensionTwice", u"abab.txt.txt", 8, false, u"abab.txt"},
        {"cut/DoubledExtensionKeepsAName", u"photo.jpeg.jpeg", 10, false, u"photo.jpeg"},
        {"cut/WithoutExtension", u"abcdefgh", 4, true, u"abcd"},
        {"cut/WithoutExtensionKeepsDots", u"ab.cd.ef", 4, true, u"ab.c"},
        {"cut/Cyrillic", u"Длинное имя.txt", 8, false, u"Длин.txt"},
        {"tiny/LengthBelowExtension", u"abcdef.longext", 3, false, u"a.longext"},
        {"tiny/LengthZero", u"abc.txt", 0, false, u"a.txt"},
        {"tiny/LengthZeroWithoutExtension", u"abc", 0, true, u"a"},
        {"tiny/NegativeLength", u"a b_c.txt", -5, false, u"a.txt"},
        {"tiny/LowestLength", u"abc.txt", INT_MIN, false, u"a.txt"},
        {"noStem/NoDotIsCutAsAWhole", u"README", 3, false, u"REA"},
        {"noStem/HiddenFileIsCutAsAWhole", u".bashrc", 3, false, u".ba"},
        {"noStem/LengthZeroKeepsOne", u"README", 0, false, u"R"},
        {"pair/NotSplitAtTheCut", u"ab\U0001F600cd.txt", 7, false, u"ab.txt"},
        {"pair/KeptWholeAsTheOneCharacter", u"\U0001F600abc.txt", 5, false, u"\U0001F600.txt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::u16string name = row.input;
        ForceLength(name, row.length,
                    row.withoutExtension ? ExtensionPlace::SetAside : ExtensionPlace::InName);
        EXPECT_EQ(name, row.expected);
    }
}

}  // namespace
}  // namespace brindle
