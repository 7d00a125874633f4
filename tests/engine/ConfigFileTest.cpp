#include "engine/ConfigFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/OptionTable.h"
#include "engine/TextOps.h"
#include "platform/NameCodec.h"
#include "platform/TextFile.h"
#include "tests/support/FileLock.h"
#include "tests/support/TempFolder.h"

namespace brindle {
namespace {

using testing::TempFolder;

std::vector<std::u16string> ConfigLines(const TempFolder& folder, const std::string& contents) {
    folder.createFile("Brindle.ini", contents);
    TextFileReader file;
    EXPECT_TRUE(file.Open(folder.folder() + u"Brindle.ini"));
    std::vector<std::u16string> lines;
    std::u16string line;
    while (readConfigLine(file, line))
        lines.push_back(line);
    return lines;
}

struct LineRow {
    const char* name;
    std::string bytes;
    std::u16string expected;
};

TEST(ConfigFileTest, ReadConfigLineCutsCommentsAndTrims) {
    const LineRow rows[] = {
        {"comment/AfterValue", "Force 63 = 1 // on", u"Force 63 = 1"},
        {"comment/WholeLine", "// a comment", u""},
        {"comment/InsideQuotesKeepsTheLine", "name = \"x//y\" // z", u"name = \"x//y\""},
        {"comment/TwoQuotesBefore", "\"a\" b // c", u"\"a\" b"},
        {"comment/ThreeQuotesBefore", "a \"b\" \"c // d", u"a \"b\" \"c"},
        {"comment/EscapedQuoteNotCounted", "a \\\"b // c", u"a \\\"b"},
        {"comment/EscapedQuoteDoesNotClose", "a \"b // \\\" c\" d // e", u"a \"b // \\\" c\" d"},
        {"comment/CountStartsAgainAfterClosingQuote", "x \"a//b\" y \"c//d\" // z",
         u"x \"a//b\" y \"c//d\""},
        {"comment/UnclosedQuoteKeepsTheRest", "a \"b // c // d", u"a \"b // c // d"},
        {"trim/ControlSpaces", "\t\v\f a b \r\t", u"a b"},
        {"trim/NoBreakSpaceUtf8", "\xC2\xA0 a \xC2\xA0", u"a"},
        {"trim/NoBreakSpaceByte", "\xA0 a \xA0", u"a"},
        {"trim/A0InsideUtf8Letter", "\xD0\xA0", u"\u0420"},
        {"decode/Cyrillic", "\xD0\x98\xD0\xBC\xD1\x8F = 1", u"Имя = 1"},
        {"decode/ByteWhenNotUtf8", "caf\xE9", u"caf\u00E9"},
        {"decode/ByteOrderMarkKept", "\xEF\xBB\xBF[config]", u"\uFEFF[config]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        EXPECT_EQ(ConfigLines(folder, row.bytes + "\n"), std::vector<std::u16string>{row.expected});
    }
}

TEST(ConfigFileTest, ReadConfigLineReadsEveryLineUpToCtrlZ) {
    TempFolder folder;
    EXPECT_EQ(ConfigLines(folder, "a\r\n\r\n  b  // x\nc\x1A\nd\n"),
              (std::vector<std::u16string>{u"a", u"", u"b", u"c"}));
}

struct FlagRow {
    const char* name;
    std::string contents;
    bool expected;
};

TEST(ConfigFileTest, ReadConfigFlagFollowsTheEntryRules) {
    const FlagRow rows[] = {
        {"on/Spaced", "[config]\nForce 63 = 1\n", true},
        {"on/LowerCaseKey", "[config]\nforce 63 = 1\n", true},
        {"on/UpperCasePadded", "[config]\n   FORCE 63   =   1   \n", true},
        {"on/TrailingComment", "[config]\nForce 63 = 1 // on\n", true},
        {"on/NoBreakSpaceBeforeValue",
         "[config]\nForce 63 =\xC2\xA0"
         "1\n",
         true},
        {"on/OtherLinesIgnored", "[config]\njunk\nForce 630 = 0\n\nForce 63 = 1\n", true},
        {"off/NoSpaceBeforeEquals", "[config]\nForce 63=1\n", false},
        {"off/Yes", "[config]\nForce 63 = yes\n", false},
        {"off/ZeroOne", "[config]\nForce 63 = 01\n", false},
        {"off/NoValue", "[config]\nForce 63 =\n", false},
        {"off/NoEqualsIsEmptyValue", "[config]\nForce 63 1\nForce 63 = 1\n", false},
        {"off/LongerKey", "[config]\nForce 630 = 1\n", false},
        {"header/Capitalised", "[Config]\nForce 63 = 1\n", true},
        {"header/Indented", "  [config]\nForce 63 = 1\n", true},
        {"header/TextAfterName", "[config] options\nForce 63 = 1\n", true},
        {"header/AfterTheTables", "[english]\na|b\n\n[config]\nForce 63 = 1\n", true},
        {"header/Missing", "Force 63 = 1\n", false},
        {"header/CommentedOut", "//[config]\nForce 63 = 1\n", false},
        {"header/ByteOrderMarkBefore", "\xEF\xBB\xBF[config]\nForce 63 = 1\n", false},
        {"section/EndsAtNextHeader", "[config]\n[other]\nForce 63 = 1\n", false},
        {"section/EndsAtAnyBracketLine", "[config]\n  [\nForce 63 = 1\n", false},
        {"duplicate/FirstOffWins", "[config]\nForce 63 = 0\nForce 63 = 1\n", false},
        {"duplicate/FirstHeaderWins", "[config]\n[x]\n[config]\nForce 63 = 1\n", false},
        {"ctrlZ/EndsTheFile", "[config]\n\x1A\nForce 63 = 1\n", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        folder.createFile("Brindle.ini", row.contents);
        EXPECT_EQ(ReadConfigFlag(folder.folder() + u"Brindle.ini", options::kKeyForce63),
                  row.expected);
    }
}

struct ValueRow {
    const char* name;
    std::string contents;
    std::u16string section;
    std::u16string key;
    std::u16string value;
    bool found;
};

TEST(ConfigFileTest, ReadConfigValueGivesTheTextAfterTheFirstEquals) {
    const ValueRow rows[] = {
        {"value/KeepsCaseAndInnerSpace", "[s]\nName = Some  Value  \n", u"[s]", u"name",
         u"Some  Value", true},
        {"value/AfterFirstEquals", "[s]\nName = a = b\n", u"[s]", u"NAME", u"a = b", true},
        {"value/QuotedComment", "[s]\nName = \"a//b\" // c\n", u"[s]", u"Name", u"\"a//b\"", true},
        {"key/Missing", "[s]\nOther = 1\n", u"[s]", u"Name", u"", true},
        {"section/Missing", "[t]\nName = 1\n", u"[s]", u"Name", u"", false},
        {"section/GivenInCapitals", "[sect]\nName = 1\n", u"[SECT]", u"Name", u"1", true},
        {"cyrillic/Matches", "[Раздел]\nИмя = Значение\n", u"[Раздел]", u"Имя", u"Значение", true},
        {"cyrillic/CaseOfNonAsciiCounts", "[Раздел]\nИмя = 1\n", u"[раздел]", u"Имя", u"", false},
        {"latin1/Matches", "[s]\nCaf\xE9 = 1\n", u"[s]", u"caf\u00E9", u"1", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        folder.createFile("Brindle.ini", row.contents);
        bool found = !row.found;
        EXPECT_EQ(readConfigValue(folder.folder() + u"Brindle.ini", row.section, row.key, &found),
                  row.value);
        EXPECT_EQ(found, row.found);
    }
}

TEST(ConfigFileTest, UnreadableFileGivesNothing) {
    TempFolder folder;
    bool found = true;
    EXPECT_EQ(readConfigValue(folder.folder() + u"Brindle.ini", u"[config]", options::kKeyForce63,
                              &found),
              u"");
    EXPECT_FALSE(found);
    EXPECT_FALSE(readReplacementTable(folder.folder() + u"Brindle.ini", u"English"));

    folder.createFile("Brindle.ini", "[config]\nForce 63 = 1\n\n[english]\na|b\n");
    const testing::LockHolder lock((folder.path() / "Brindle.ini").string());
    ASSERT_TRUE(lock.locked());
    found = true;
    EXPECT_EQ(readConfigValue(folder.folder() + u"Brindle.ini", u"[config]", options::kKeyForce63,
                              &found),
              u"");
    EXPECT_FALSE(found);
    EXPECT_FALSE(readReplacementTable(folder.folder() + u"Brindle.ini", u"English"));
}

TEST(ConfigFileTest, ReadersReleaseTheFile) {
    TempFolder folder;
    folder.createFile("Brindle.ini", "[config]\nForce 63 = 1\n\n[english]\na|b\n");
    const std::u16string path = folder.folder() + u"Brindle.ini";
    // Each call must close (and unlock) the file, or the next exclusive open fails.
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(ReadConfigFlag(path, options::kKeyForce63));
        EXPECT_EQ(readConfigValue(path, u"[config]", u"Missing"), u"");
        EXPECT_TRUE(readReplacementTable(path, u"English"));
    }
}

// The flags' rows: the check boxes' keys every configuration file has had, "Preview
// First" and "Regular Expression".
std::vector<const options::Option*> FlagRows() {
    std::vector<const options::Option*> rows;
    for (const options::Option& row : options::kOptions) {
        if (row.kind == options::Kind::Flag)
            rows.push_back(&row);
    }
    return rows;
}

std::string Utf8(std::u16string_view ascii) {
    return std::string(ascii.begin(), ascii.end());
}

TEST(ConfigFileTest, LoadConfigOptionsSetsEachKeysOwnField) {
    const std::vector<const options::Option*> rows = FlagRows();
    ASSERT_EQ(rows.size(), 19u);
    for (std::size_t on = 0; on < rows.size(); ++on) {
        SCOPED_TRACE(Utf8(rows[on]->key));
        TempFolder folder;
        std::string contents = "[config]\n";
        for (std::size_t k = 0; k < rows.size(); ++k) {
            contents += Utf8(rows[k]->key) + (k == on ? " = 1\n" : " = 0\n");
        }
        folder.createFile("Brindle.ini", contents);
        RenameSettings options;
        for (const options::Option* row : rows)
            options.*row->flag = true;
        LoadConfigOptions(options, folder.folder() + u"Brindle.ini");
        for (std::size_t f = 0; f < rows.size(); ++f) {
            EXPECT_EQ(options.*rows[f]->flag, f == on) << Utf8(rows[f]->key);
        }
    }
}

TEST(ConfigFileTest, LoadConfigOptionsWithoutAFile) {
    TempFolder folder;
    RenameSettings options;
    for (const options::Option* row : FlagRows())
        options.*row->flag = true;
    options.startIndex = 7;
    options.namePattern = std::u16string(u"/O-/2");
    LoadConfigOptions(options, folder.folder() + u"Brindle.ini");
    // "Only English" is not read at all when there is no file; every other key is, and
    // gives its default.
    EXPECT_TRUE(options.onlyEnglish);
    options.onlyEnglish = false;
    EXPECT_EQ(options, RenameSettings{});
}

// The keys of the options beyond the check boxes, each kind by its own rule: a value it
// does not take gives the default.
TEST(ConfigFileTest, EveryKindOfOptionIsReadByItsRule) {
    struct Row {
        const char* line;
        std::function<bool(const RenameSettings&)> holds;
    };
    const Row rows[] = {
        {"Starting Index = -12", [](const RenameSettings& o) { return o.startIndex == -12; }},
        {"starting index = 12 // a comment",
         [](const RenameSettings& o) { return o.startIndex == 12; }},
        {"Starting Index = 1e3", [](const RenameSettings& o) { return o.startIndex == 0; }},
        {"Starting Index = 2147483648", [](const RenameSettings& o) { return o.startIndex == 0; }},
        {"Force Length = 20",
         [](const RenameSettings& o) { return o.force63Length == 20 && !o.force63; }},
        {"Force Length = -1", [](const RenameSettings& o) { return o.force63Length == 64; }},
        {"Case = UPPER", [](const RenameSettings& o) { return o.conversionMode == kToUpperCase; }},
        {"Case = reverse-letter",
         [](const RenameSettings& o) { return o.conversionMode == kReverseLetter; }},
        {"Case = loud", [](const RenameSettings& o) { return o.conversionMode == kNoConversion; }},
        {"Method = Symbols", [](const RenameSettings& o) { return o.filterMethod == u"Symbols"; }},
        {"Method = klingon", [](const RenameSettings& o) { return o.filterMethod.empty(); }},
        {"Order = bytes", [](const RenameSettings& o) { return o.order == NameOrder::Bytes; }},
        {"Name Pattern = /O_/3", [](const RenameSettings& o) { return o.namePattern == u"/O_/3"; }},
        {R"(Name Pattern = "a\/\/b \"q\" \\ ")",
         [](const RenameSettings& o) { return o.namePattern == u"a//b \"q\" \\ "; }},
        {"Name Pattern = \"never closed",
         [](const RenameSettings& o) { return o.namePattern.empty(); }},
        {"Replace What = a // b", [](const RenameSettings& o) { return o.replaceWhat == u"a"; }},
        {"File Types=.exe", [](const RenameSettings& o) { return o.fileTypes.empty(); }},
        // "Only English" switched on by the file does not bring "w/o File Extension".
        {"Only English = 1",
         [](const RenameSettings& o) { return o.onlyEnglish && !o.withoutExtension; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        TempFolder folder;
        std::string contents = "[config]\n";
        contents += row.line;
        contents += '\n';
        folder.createFile("Brindle.ini", contents);
        RenameSettings options;
        LoadConfigOptions(options, folder.folder() + u"Brindle.ini");
        EXPECT_TRUE(row.holds(options));
    }
}

// What QuoteConfigText writes reads back as the same text, and never holds a comment.
TEST(ConfigFileTest, QuotedTextsReadBackAsWritten) {
    const std::u16string texts[] = {
        u"",        u"/O//3", u"a // b",     u"\"",
        u"\\",      u"end\\", u"  spaces  ", u"\u00e9t\u00e9 \U0001F600",
        u"x\"//\"y"};
    for (const std::u16string& text : texts) {
        SCOPED_TRACE(EncodeName(text));
        const std::u16string quoted = QuoteConfigText(text);
        EXPECT_EQ(quoted.find(u"//"), std::u16string::npos);
        TempFolder folder;
        std::string contents = "[config]\nName Pattern = ";
        contents += EncodeName(quoted);
        contents += " // a note\n";
        folder.createFile("Brindle.ini", contents);
        RenameSettings options;
        LoadConfigOptions(options, folder.folder() + u"Brindle.ini");
        EXPECT_EQ(options.namePattern, text);
    }
}

// The reader takes a key's line when the key is followed by white space: no key may be
// another key followed by white space and more, or the longer key's line would be taken for
// the shorter one. Every key is distinct, letter case aside.
TEST(ConfigFileTest, NoKeyIsAnotherKeyAndMore) {
    for (const options::Option& a : options::kOptions) {
        EXPECT_FALSE(a.key.empty());
        for (const options::Option& b : options::kOptions) {
            if (&a == &b)
                continue;
            const std::u16string lowerA = AsciiLowered(a.key);
            const std::u16string lowerB = AsciiLowered(b.key);
            EXPECT_NE(lowerA, lowerB);
            const bool prefix = lowerB.starts_with(lowerA) && lowerB.size() > lowerA.size() &&
                                (lowerB[lowerA.size()] == u' ' || lowerB[lowerA.size()] == u'\t');
            EXPECT_FALSE(prefix) << Utf8(a.key) << " / " << Utf8(b.key);
        }
    }
}

struct TableRow {
    const char* name;
    std::string contents;
    std::u16string method;
    ReplacementTable expected;
};

TEST(ConfigFileTest, ReadReplacementTableParsesTheBody) {
    const TableRow rows[] = {
        {"pair/Simple", "[english]\na|b\n", u"English", {{u"a", u"b"}}},
        {"pair/NoBarMapsToItself", "[english]\nabc\n", u"English", {{u"abc", u"abc"}}},
        {"pair/LeadingBarEmptySource", "[english]\n|x\n", u"English", {{u"", u"x"}}},
        {"pair/SpacesAreText", "[english]\na | b\n", u"English", {{u"a ", u" b"}}},
        {"pair/SourceAndBarRemovedEverywhere",
         "[english]\nab|cab|d\n",
         u"English",
         {{u"ab", u"cd"}}},
        {"pair/EmptyReplacement", "[english]\na|\n", u"English", {{u"a", u""}}},
        {"pair/NoCommentCutting", "[english]\na|b // c\n", u"English", {{u"a", u"b // c"}}},
        {"body/EndsAtEmptyLine", "[english]\na|b\n\nc|d\n", u"English", {{u"a", u"b"}}},
        {"body/EndsAtBars", "[english]\na|b\n||\nc|d\n", u"English", {{u"a", u"b"}}},
        {"body/SpaceLineDoesNotEnd",
         "[english]\na|b\n \nc|d\n",
         u"English",
         {{u"a", u"b"}, {u" ", u" "}, {u"c", u"d"}}},
        {"body/NextHeaderJoins",
         "[english]\na|b\n[symbols]\n |_\n",
         u"English",
         {{u"a", u"b"}, {u"[symbols]", u"[symbols]"}, {u" ", u"_"}}},
        {"body/CtrlZEndsTheFile",
         "[english]\na|b\x1A"
         "c|d\n",
         u"English",
         {{u"a", u"b"}}},
        {"body/FirstSectionOnly", "[english]\na|b\n\n[english]\nc|d\n", u"English", {{u"a", u"b"}}},
        {"header/Capitalised", "[English]\na|b\n", u"English", {}},
        {"header/Indented", " [english]\na|b\n", u"English", {}},
        {"header/TextAfterName", "[english] letters\na|b\n", u"English", {{u"a", u"b"}}},
        {"method/Lowered", "[symbols]\na|b\n", u"SyMbOlS", {{u"a", u"b"}}},
        {"method/NoSelection", "[english]\na|b\n\n[]\nc|d\n", u"", {{u"c", u"d"}}},
        {"decode/Cyrillic", "[english]\n\xD0\xB6|zh\n", u"English", {{u"ж", u"zh"}}},
        {"decode/ByteWhenNotUtf8",
         "[english]\ncaf\xE9|cafe\n",
         u"English",
         {{u"caf\u00E9", u"cafe"}}},
        {"decode/ByteOrderMarkHidesHeader", "\xEF\xBB\xBF[english]\na|b\n", u"English", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        folder.createFile("Brindle.ini", row.contents);
        const auto table = readReplacementTable(folder.folder() + u"Brindle.ini", row.method);
        ASSERT_TRUE(table);
        EXPECT_EQ(*table, row.expected);
    }
}

}  // namespace
}  // namespace brindle
