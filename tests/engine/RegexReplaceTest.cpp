// Regular expressions in the replace stage: Perl's syntax on the names' UTF-16, the
// replacement's references and case escapes, sed's rule for empty matches, the name
// codec's byte escapes left alone, the mistakes and the limits.
#include "engine/RegexReplace.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/NameChain.h"

namespace brindle {
namespace {

std::u16string Replaced(std::u16string_view expression, std::u16string_view replacement,
                        std::u16string_view name) {
    RegexError error;
    const RegexReplacer replacer = RegexReplacer::Compile(expression, replacement, &error);
    EXPECT_TRUE(replacer.valid()) << std::string(error.message.begin(), error.message.end());
    if (!replacer.valid())
        return u"(invalid)";
    std::u16string out;
    EXPECT_EQ(replacer.Replace(name, out), RegexReplacer::Outcome::Replaced);
    return out;
}

TEST(RegexReplaceTest, Syntax) {
    struct Row {
        const char* name;
        std::u16string expression, replacement, input, expected;
    };
    const Row rows[] = {
        {"groups", u"(\\w+)-(\\w+)", u"$2-$1", u"ab-cd.txt", u"cd-ab.txt"},
        {"namedGroups", u"(?<y>\\d{4})-(?<m>\\d\\d)", u"${m}.${y}", u"2024-05 x", u"05.2024 x"},
        {"dollarZero", u"\\d+", u"<$0>", u"a12b3", u"a<12>b<3>"},
        {"dollarAmpersand", u"\\d+", u"[$&]", u"a12b3", u"a[12]b[3]"},
        {"elevenIsGroupEleven", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", u"$11", u"abcdefghijk", u"k"},
        {"bracesEndTheNumber", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", u"${1}1", u"abcdefghijk",
         u"a1"},
        {"groupOutsideTheMatchIsEmpty", u"(a)|(b)", u"[$1$2]", u"abc", u"[a][b]c"},
        {"upperCyrillic", u"\\w+", u"\\U$0", u"привет мир", u"ПРИВЕТ МИР"},
        {"upperFirstCyrillic", u"\\w+", u"\\u$0", u"привет мир", u"Привет Мир"},
        {"lowerGreekSimpleMapping", u"\\w+", u"\\L$0", u"ΣΟΦΙΑΣ", u"σοφιασ"},
        {"upperFirstThenLowerGreek", u"\\w+", u"\\u\\L$0", u"ΑΛΦΑ", u"Αλφα"},
        {"lowerFirstInUpper", u"\\w+", u"\\U\\l$0", u"Straße", u"sTRAßE"},
        {"caseEndsAtE", u"(\\w+) (\\w+)", u"\\U$1\\E $2", u"ab cd", u"AB cd"},
        {"caseOnLiteralText", u"x", u"\\Uabc", u"x", u"ABC"},
        {"nextCaseWaitsForALetter", u"(b?)(c)", u"\\u$1$2", u"c", u"C"},
        {"lookbehind", u"(?<=IMG_)\\d+", u"N", u"IMG_123 x_45", u"IMG_N x_45"},
        {"negativeLookbehind", u"(?<!x)\\d", u"#", u"x1 2", u"x1 #"},
        {"lookahead", u"\\d+(?=\\.)", u"N", u"12.3", u"N.3"},
        {"inlineCaseless", u"(?i)photo", u"pic", u"Photo PHOTO", u"pic pic"},
        {"unicodeClasses", u"\\p{Lu}", u"_", u"aÄbΩ", u"a_b_"},
        {"allEmptyMatchOnce", u".*", u"X", u"abc", u"X"},
        {"emptyMatchesBetween", u"x*", u"-", u"abc", u"-a-b-c-"},
        {"emptyAfterAMatchNot", u"b*", u"-", u"abc", u"-a-c-"},
        {"start", u"^", u"pre-", u"abc", u"pre-abc"},
        {"end", u"$", u"-end", u"abc", u"abc-end"},
        {"emptyName", u"x*", u"-", u"", u"-"},
        {"backslashes", u"a", u"\\\\\\$", u"a", u"\\$"},
        {"otherEscapesStay", u"a", u"\\n\\t\\1", u"a", u"\\n\\t\\1"},
        {"loneBackslashAtEnd", u"a", u"x\\", u"a", u"x\\"},
        {"loneDollars", u"a", u"$ $x ${ ${} ${a b} $", u"a", u"$ $x ${ ${} ${a b} $"},
        {"slashReplacedAsText", u" ", u"/", u"a b", u"a/b"},
        {"pairIsOneCharacter", u".", u"x", u"a😀", u"xx"},
        {"byteEscapeNeverMatched", u".", u"X",
         u"a\xDC80"
         u"b",
         u"X\xDC80"
         u"X"},
        {"byteEscapeStopsAMatch", u".*", u"X",
         u"a\xDC80"
         u"b",
         u"X\xDC80"
         u"X"},
        {"byteEscapeNotInAClass", u"[^a]", u"-", u"a\xDCFF", u"a\xDCFF"},
        {"loneSurrogateStays", u"\\W", u"-", u"\xD800 a", u"\xD800-a"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Replaced(row.expression, row.replacement, row.input), row.expected);
    }
}

TEST(RegexReplaceTest, PartsAreWhatTheReplacementsWrote) {
    RegexError error;
    const RegexReplacer replacer = RegexReplacer::Compile(u"\\d+|z", u"<$0>", &error);
    ASSERT_TRUE(replacer.valid());
    std::u16string out;
    std::vector<ReplacedPart> parts;
    ASSERT_EQ(replacer.Replace(u"a12bz", out, &parts), RegexReplacer::Outcome::Replaced);
    EXPECT_EQ(out, u"a<12>b<z>");
    EXPECT_EQ(parts, (std::vector<ReplacedPart>{{1, 4}, {6, 3}}));
    // An empty replacement leaves no part; the list is the last name's only.
    const RegexReplacer remover = RegexReplacer::Compile(u"\\d", u"", &error);
    ASSERT_EQ(remover.Replace(u"a1b", out, &parts), RegexReplacer::Outcome::Replaced);
    EXPECT_EQ(out, u"ab");
    EXPECT_TRUE(parts.empty());
}

TEST(RegexReplaceTest, Mistakes) {
    struct Row {
        const char* name;
        std::u16string expression, replacement;
        bool inReplacement;
        std::size_t offset;      // kAnywhere: not compared
        std::u16string message;  // empty: PCRE2's own, not compared
    };
    constexpr std::size_t kAnywhere = ~std::size_t{0};
    const Row rows[] = {
        {"unclosedGroup", u"a(b", u"", false, 3, u""},
        {"nothingToRepeat", u"ab*+?", u"", false, 4, u""},
        {"variableLookbehind", u"(?<=a+)b", u"", false, kAnywhere, u""},
        {"singleUnitEscape", u"a\\C", u"", false, 3, u""},
        {"loneSurrogateInExpression", u"a\xDC80", u"", false, 1, u""},
        {"missingGroup", u"(a)", u"x$2", true, 1, u"no group 2"},
        {"missingGroupInBraces", u"(a)", u"${3}", true, 0, u"no group 3"},
        {"missingName", u"(?<a>x)", u"ab${b}", true, 2, u"no group named b"},
        {"hugeGroup", u"a", u"$99999999999999", true, 0, u"no such group"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RegexError error;
        EXPECT_FALSE(RegexReplacer::Compile(row.expression, row.replacement, &error).valid());
        EXPECT_EQ(error.inReplacement, row.inReplacement);
        if (row.offset != kAnywhere) {
            EXPECT_EQ(error.offset, row.offset);
        }
        EXPECT_FALSE(error.message.empty());
        if (!row.message.empty()) {
            EXPECT_EQ(error.message, row.message);
        }
    }
}

TEST(RegexReplaceTest, ErrorTextMarksThePlace) {
    EXPECT_EQ(RegexErrorText({false, 2, u"why"}, u"a(b", u"x"),
              u"The regular expression \"a(\u25B8b\" has a mistake at \u25B8: why.");
    EXPECT_EQ(RegexErrorText({true, 1, u"no group 2"}, u"(a)", u"x$2"),
              u"The replacement \"x\u25B8$2\" has a mistake at \u25B8: no group 2.");
    // An offset past the end marks the end.
    EXPECT_EQ(RegexErrorText({false, 9, u"why"}, u"ab", u""),
              u"The regular expression \"ab\u25B8\" has a mistake at \u25B8: why.");
}

TEST(RegexReplaceTest, CheckedOnlyWhereTheStageRuns) {
    RenameSettings settings;
    settings.replaceWhat = u"a(";
    EXPECT_EQ(CheckRegularExpression(settings), std::nullopt);  // the flag off
    settings.regularExpression = true;
    ASSERT_TRUE(CheckRegularExpression(settings));
    EXPECT_FALSE(CheckRegularExpression(settings)->inReplacement);
    settings.onlyEnglish = true;
    EXPECT_EQ(CheckRegularExpression(settings), std::nullopt);
    settings.onlyEnglish = false;
    settings.replaceWhat = u"(a)";
    settings.replaceWith = u"$1";
    EXPECT_EQ(CheckRegularExpression(settings), std::nullopt);
    settings.replaceWith = u"$2";
    ASSERT_TRUE(CheckRegularExpression(settings));
    EXPECT_TRUE(CheckRegularExpression(settings)->inReplacement);
    settings.replaceWhat.clear();
    EXPECT_EQ(CheckRegularExpression(settings), std::nullopt);
}

TEST(RegexReplaceTest, BacktrackingWithoutEndStopsAtTheLimits) {
    for (const char16_t* expression : {u"(a+)+$", u"(a|aa)+$", u"(\\w|a)+$"}) {
        SCOPED_TRACE(
            std::string(expression, expression + std::char_traits<char16_t>::length(expression)));
        RegexError error;
        const RegexReplacer replacer = RegexReplacer::Compile(expression, u"x", &error);
        ASSERT_TRUE(replacer.valid());
        std::u16string out;
        EXPECT_EQ(replacer.Replace(std::u16string(200, u'a') + u"!", out),
                  RegexReplacer::Outcome::TooLong);
        // The replacer is still sound for the next name.
        EXPECT_EQ(replacer.Replace(u"b!", out), RegexReplacer::Outcome::Replaced);
    }
}

NameChain RegexChain(RenameSettings options) {
    options.regularExpression = true;
    return NameChain(options, nullptr, NamePattern());
}

TEST(RegexReplaceTest, TheReplaceStage) {
    struct Row {
        const char* name;
        bool withoutExtension;
        int conversion;
        std::u16string what, with, input, expected;
    };
    const Row rows[] = {
        {"withExtension", false, kNoConversion, u"\\.txt$", u".md", u"a.txt", u"a.md"},
        {"extensionAside", true, kNoConversion, u"\\.txt$", u".md", u"a.txt.txt", u"a.md.txt"},
        {"extensionAsideEndIsTheStem", true, kNoConversion, u"$", u"-1", u"a.txt", u"a-1.txt"},
        {"afterTheCase", false, kToLowerCase, u"^img_(\\d+)", u"Photo-$1", u"IMG_0042.JPG",
         u"Photo-0042.jpg"},
        {"sameTextsStillRun", false, kNoConversion, u"a", u"a", u"bab", u"bab"},
        {"caseEscapes", true, kNoConversion, u"^(\\w)", u"\\U$1", u"élan.txt", u"Élan.txt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RenameSettings options;
        options.withoutExtension = row.withoutExtension;
        options.conversionMode = row.conversion;
        options.replaceWhat = row.what;
        options.replaceWith = row.with;
        const NameChain chain = RegexChain(options);
        NameCounters counters;
        EXPECT_EQ(chain.NewName(ItemFacts(u"/", row.input), counters), row.expected);
        EXPECT_FALSE(chain.RegexTookTooLong());
    }
}

TEST(RegexReplaceTest, TheFlagOffIsThePlainReplace) {
    RenameSettings options;
    options.replaceWhat = u"a.";
    options.replaceWith = u"$1";
    const NameChain chain(options, nullptr, NamePattern());
    NameCounters counters;
    EXPECT_EQ(chain.NewName(ItemFacts(u"/", u"a.ab"), counters), u"$1ab");
    EXPECT_EQ(chain.ReplacedParts(ItemFacts(u"/", u"a.ab")), std::nullopt);
}

TEST(RegexReplaceTest, OnlyEnglishLeavesTheStageOut) {
    RenameSettings options;
    options.onlyEnglish = true;
    options.replaceWhat = u"a";
    options.replaceWith = u"b";
    ReplacementTable table;
    options.regularExpression = true;
    const NameChain chain(options, &table, NamePattern());
    NameCounters counters;
    EXPECT_EQ(chain.NewName(ItemFacts(u"/", u"aa"), counters), u"aa");
    EXPECT_EQ(chain.ReplacedParts(ItemFacts(u"/", u"aa")), std::nullopt);
}

TEST(RegexReplaceTest, ReplacedPartsInTheWholeName) {
    RenameSettings options;
    options.withoutExtension = true;
    options.duplicateExtension = true;
    options.conversionMode = kToUpperCase;
    options.replaceWhat = u"(\\d+)";
    options.replaceWith = u"#$1";
    options.namePattern = u"/O-/0";  // after the replace stage: not run
    options.countSymbols = true;
    const NameChain chain = RegexChain(options);
    const auto replaced = chain.ReplacedParts(ItemFacts(u"/", u"ab1c22.txt.txt"));
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->name, u"AB#1C#22.txt");
    EXPECT_EQ(replaced->parts, (std::vector<ReplacedPart>{{2, 2}, {5, 3}}));
}

TEST(RegexReplaceTest, TooLongLeavesTheNameAndSaysSo) {
    RenameSettings options;
    options.replaceWhat = u"(a+)+$";
    options.replaceWith = u"x";
    const NameChain chain = RegexChain(options);
    NameCounters counters;
    const std::u16string slow = std::u16string(100, u'a') + u".b";
    EXPECT_EQ(chain.NewName(ItemFacts(u"/", slow), counters), slow);
    EXPECT_TRUE(chain.RegexTookTooLong());
    const auto replaced = chain.ReplacedParts(ItemFacts(u"/", slow));
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->name, slow);
    EXPECT_TRUE(replaced->parts.empty());
    // The next item starts afresh.
    EXPECT_EQ(chain.NewName(ItemFacts(u"/", u"baa"), counters), u"bx");
    EXPECT_FALSE(chain.RegexTookTooLong());
}

}  // namespace
}  // namespace brindle
