// The name pattern read once into pieces: tokens in braces beside the escapes, a brace
// group that names no token read as ordinary text, and each mistake with its place.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "engine/NameStages.h"
#include "engine/NameTokens.h"
#include "engine/PatternCreator.h"
#include "tests/support/TestTokens.h"

namespace brindle {

void PrintTo(const PatternError& error, std::ostream* out) {
    *out << "character " << error.character << ": "
         << std::string(error.reason.begin(), error.reason.end());
}

namespace {

class PatternParserTest : public ::testing::Test {
protected:
    void SetUp() override { testing::RegisterTestTokens(); }
};

TEST_F(PatternParserTest, BuildsTokensBesideTheEscapes) {
    struct Row {
        const char* name;
        std::u16string pattern, expected;
    };
    // The item "On Disk.TXT" in /f/Fold/, its working name "a.txt", the counters at 5
    // and 'q'.
    const Row rows[] = {
        {"token/Argument", u"{test.echo:x}-/O", u"x-a.txt"},
        {"token/FactsOfTheItem", u"{test.disk}", u"On Disk.TXT.txt"},
        {"token/NoValueIsNothing", u"[{test.none}]", u"[].txt"},
        {"token/ArgumentUpToTheFirstBrace", u"{test.echo:a{b}c}", u"a{bc}.txt"},
        {"token/ArgumentKeepsBarsAndColons", u"{test.echo:a|b:c}", u"a|b:c.txt"},
        {"token/ArgumentAsWritten", u"{test.echo:/O/1\\A}", u"-O-1\\A.txt"},
        {"token/SlashOfTheValueIsNoPrefix", u"/D{test.echo:/}/1", u"Fold-5.txt"},
        {"alternatives/FirstWithAValue", u"{test.none|test.disk}", u"On Disk.TXT.txt"},
        {"alternatives/FirstHasAValue", u"{test.disk|test.none}", u"On Disk.TXT.txt"},
        {"alternatives/NoneHasAValue", u"{test.none|test.none}x", u"x.txt"},
        {"lookBack/PrefixBeforeATokenDeleted", u"/{test.echo:x}", u"x.txt"},
        {"lookBack/AfterATokenNoEscape", u"{test.echo:/}O", u"-O.txt"},
        {"lookBack/EscapesAroundTokens", u"/1{test.echo:-}/C/O", u"5-qa.txt"},
        {"lookBack/CopiedLetterAfterName", u"/OC", u"aC.txt"},
        {"lookBack/BackslashThenSlash", u"\\/C", u"q.txt"},
        {"unknown/KeptAsText", u"{date}", u"{date}.txt"},
        {"unknown/EscapesApplyInside", u"{/O}", u"{a}.txt"},
        {"unknown/WithArgument", u"{date:/1}", u"{date:5}.txt"},
        {"unknown/Alternatives", u"{date|time}", u"{date|time}.txt"},
        {"unknown/UpperCaseIsNoName", u"{Test.echo:x}", u"{Test.echo:x}.txt"},
        {"unknown/EmptyBraces", u"{}", u"{}.txt"},
        {"unknown/Unclosed", u"{date/O", u"{datea.txt"},
        {"unknown/LoneBrace", u"{", u"{.txt"},
        {"unknown/NotAName", u"{test echo}", u"{test echo}.txt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ParsedPattern parsed = ParseNamePattern(row.pattern);
        ASSERT_EQ(parsed.error, std::nullopt);
        const PatternStage stage(std::move(parsed.pattern), ExtensionPlace::InName);
        NameCounters counters{.startIndex = 5, .letter = u'q'};
        std::u16string name = u"a.txt";
        stage.Apply(name, ItemFacts(u"/f/Fold/", u"On Disk.TXT"), counters);
        EXPECT_EQ(name, row.expected);
    }
}

TEST_F(PatternParserTest, MistakesAreFoundWithTheirPlace) {
    struct Row {
        const char* name;
        std::u16string pattern;
        std::size_t character;
        std::u16string reason;
    };
    const Row rows[] = {
        {"argument/Missing", u"ab{test.echo}", 13, u"\"test.echo\" needs a text after ':'"},
        {"argument/Empty", u"{test.echo:}", 12, u"\"test.echo\" needs a text after ':'"},
        {"argument/NotTaken", u"/O{test.none:x}", 14, u"\"test.none\" takes no argument"},
        {"argument/CheckedForEveryName", u"{test.echo|test.disk:x}", 22,
         u"\"test.disk\" takes no argument"},
        {"argument/MissingForTheSecondName", u"{test.disk|test.echo}", 21,
         u"\"test.echo\" needs a text after ':'"},
        {"argument/SecondGroup", u"{test.echo:a}{test.none:b}", 25,
         u"\"test.none\" takes no argument"},
        {"unknown/AfterAKnownName", u"{test.echo|nope:x}", 12, u"\"nope\" is no token"},
        {"unknown/BeforeAKnownName", u"{nope|test.echo:x}", 2, u"\"nope\" is no token"},
        {"unclosed/WithArgument", u"x{test.echo:abc", 2, u"the '{' here has no '}' to close it"},
        {"unclosed/AfterTheName", u"{test.disk", 1, u"the '{' here has no '}' to close it"},
        {"syntax/NameThenSpace", u"{test.disk x}", 11, u"a token name ends with '|', ':' or '}'"},
        {"syntax/BarWithoutName", u"{test.disk|}", 12, u"a token name must follow '|'"},
        {"position/CharactersNotUnits", u"\U0001F600{test.echo}", 12,
         u"\"test.echo\" needs a text after ':'"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ParsedPattern parsed = ParseNamePattern(row.pattern);
        EXPECT_EQ(parsed.error, (PatternError{row.character, row.reason}));
    }
    EXPECT_EQ(PatternErrorText({5, u"why"}),
              u"The name pattern has a mistake at character 5: why.");
}

// Asked of the parsed pattern, so that an escape is a counter exactly where the name is
// built with one.
TEST_F(PatternParserTest, KnowsWhetherItHasACounter) {
    struct Row {
        std::u16string pattern;
        bool counter;
    };
    const Row rows[] = {
        {u"", false},
        {u"/", false},
        {u"N", false},
        {u"/O - /D \\A\\T", false},
        {u"/OC", false},  // the 'C' is copied
        {u"\\C", false},  // the album
        {u"/o1", false},  // a lower-case escape is no escape
        {u"{test.disk}", false},
        {u"{test.echo:/1}", false},  // an argument is text
        {u"/0", true},
        {u"x/9y", true},
        {u"//1", true},
        {u"/C", true},
        {u"\\/C", true},
        {u"{/2}", true},  // a brace group that names no token
        {u"{test.count}", true},
        {u"{test.none|test.count}", true},
    };
    for (const auto& row : rows) {
        const ParsedPattern parsed = ParseNamePattern(row.pattern);
        ASSERT_EQ(parsed.error, std::nullopt);
        EXPECT_EQ(parsed.pattern.HasCounter(), row.counter)
            << std::string(row.pattern.begin(), row.pattern.end());
    }
}

TEST_F(PatternParserTest, TokenNamesAreSpeltOneWay) {
    struct Row {
        std::u16string name;
        bool isName;
    };
    const Row rows[] = {
        {u"a", true},     {u"exif.date2", true}, {u"aB.9", true},    {u"", false},
        {u"Date", false}, {u"9a", false},        {u".a", false},     {u"a-b", false},
        {u"a b", false},  {u"a_b", false},       {u"\u00e9", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(IsTokenName(row.name), row.isName)
            << std::string(row.name.begin(), row.name.end());

    const auto check = [](std::optional<std::u16string_view>) -> std::optional<std::u16string> {
        return std::nullopt;
    };
    const auto value = [](const ItemFacts&, std::u16string_view, std::u16string&) { return false; };
    EXPECT_FALSE(RegisterNameToken({u"test.echo", check, value, false, {}}));  // known already
    EXPECT_FALSE(RegisterNameToken({u"Bad", check, value, false, {}}));
    EXPECT_FALSE(RegisterNameToken({u"test.nofunction", check, nullptr, false, {}}));
    EXPECT_EQ(FindNameToken(u"test.nofunction"), nullptr);
    EXPECT_NE(FindNameToken(u"test.echo"), nullptr);
}

}  // namespace
}  // namespace brindle
