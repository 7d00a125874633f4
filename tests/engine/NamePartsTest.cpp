#include <gtest/gtest.h>

#include <string>

#include "engine/Extension.h"
#include "engine/PathParts.h"
#include "engine/TextOps.h"

namespace brindle {
namespace {

TEST(NamePartsTest, SplitsPathsAtSlashOnly) {
    struct Row {
        const char* name;
        std::u16string path, namePart, directoryPart;
    };
    const Row rows[] = {
        {"plain/FileInFolder", u"/music/rock/song.mp3", u"song.mp3", u"/music/rock/"},
        {"plain/NoSeparator", u"song.mp3", u"song.mp3", u""},
        {"plain/EndsWithSeparator", u"/music/rock/", u"", u"/music/rock/"},
        {"plain/Root", u"/", u"", u"/"},
        {"ordinary/ColonIsPartOfTheName", u"/notes/12:30 call.txt", u"12:30 call.txt", u"/notes/"},
        {"ordinary/BackslashIsPartOfTheName", u"/x/AC\\DC", u"AC\\DC", u"/x/"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(NamePart(row.path), row.namePart);
        EXPECT_EQ(DirectoryPart(row.path), row.directoryPart);
    }
}

// What a file manager or a shell hands the program, taken from the folder it was started in.
TEST(NamePartsTest, AbsolutePathIsTakenFromTheStartFolder) {
    struct Row {
        const char* name;
        std::u16string path, folder, absolute;
    };
    const Row rows[] = {
        {"relative/Name", u"a b.txt", u"/home/u", u"/home/u/a b.txt"},
        {"relative/Below", u"photos/x.jpg", u"/home/u", u"/home/u/photos/x.jpg"},
        {"relative/Dot", u".", u"/home/u", u"/home/u"},
        {"relative/DotSlashName", u"./x", u"/home/u", u"/home/u/x"},
        {"relative/Up", u"../v/x", u"/home/u", u"/home/v/x"},
        {"relative/UpPastTheRoot", u"../../..", u"/home", u"/"},
        {"relative/FromTheRoot", u"x", u"/", u"/x"},
        {"relative/DotsInANameStay", u"..x/...", u"/d", u"/d/..x/..."},
        {"absolute/Kept", u"/srv/x", u"/home/u", u"/srv/x"},
        {"absolute/DoubledAndFinalSlashes", u"//srv//x/", u"/home/u", u"/srv/x"},
        {"empty/Nothing", u"", u"/home/u", u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(AbsolutePath(row.path, row.folder), row.absolute);
    }
}

TEST(NamePartsTest, ExtensionIsFromTheLastDot) {
    struct Row {
        const char* name;
        std::u16string input, extension, removed;
    };
    const Row rows[] = {
        {"complicated/LastDot", u"a.tar.gz", u".gz", u"a.tar"},
        {"complicated/OnlyTheLastRemoved", u"a.gz.tar.gz", u".gz", u"a.gz.tar"},
        {"complicated/Doubled", u"x.mp3.mp3", u".mp3", u"x.mp3"},
        {"complicated/AlsoInsideTheName", u"v1.txt and v2.txt.txt", u".txt", u"v1.txt and v2.txt"},
        {"complicated/TrailingDot", u"notes.", u".", u"notes"},
        {"noDot/AllExtension", u"README", u"README", u""},
        {"leadingDot/HiddenFile", u".bashrc", u".bashrc", u""},
        {"case/Sensitive", u"a.TXT.txt", u".txt", u"a.TXT"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ExtensionOf(row.input), row.extension);
        EXPECT_EQ(RemoveExtension(row.input), row.removed);
    }
}

TEST(NamePartsTest, ReplacesNonOverlappingFromTheLeft) {
    struct Row {
        const char* name;
        std::u16string text, what, with, expected;
    };
    const Row rows[] = {
        {"overlap/LeftmostWins", u"aaa", u"aa", u"b", u"ba"},
        {"overlap/ReplacementHoldsWhat", u"aa", u"a", u"aa", u"aaaa"},
        {"empty/WhatChangesNothing", u"abc", u"", u"x", u"abc"},
        {"case/Sensitive", u"Aa", u"a", u"x", u"Ax"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ReplaceAll(row.text, row.what, row.with), row.expected);
    }
}

}  // namespace
}  // namespace brindle
