#include "engine/CaseConversion.h"

#include <gtest/gtest.h>

#include <string>

namespace brindle {
namespace {

struct ConversionRow {
    const char* name;
    int mode;
    std::u16string input;
    std::u16string expected;
};

TEST(CaseConversionTest, ConvertsByMode) {
    const ConversionRow rows[] = {
        {"upperLetter/ExtensionStartsAWord", kUpperLetter, u"my file.zip", u"My File.Zip"},
        {"upperLetter/LeadingSeparator", kUpperLetter, u"_abc", u"_Abc"},
        {"upperLetter/SecondSpaceIsTheConvertedChar", kUpperLetter, u"a  b", u"A  b"},
        {"upperLetter/ParenAfterSpace", kUpperLetter, u"my file (a)[!].zip", u"My File (a)[!].Zip"},
        {"upperLetter/TrailingSeparator", kUpperLetter, u"abc_", u"Abc_"},
        {"upperLetter/EveryDot", kUpperLetter, u"x.y.z", u"X.Y.Z"},
        {"upperLetter/OnlySeparators", kUpperLetter, u"(((", u"((("},
        {"upperLetter/RestOfWordKeepsCase", kUpperLetter, u"mIXED wORD", u"MIXED WORD"},
        {"upperLetter/HyphenBracketDigitNotSeparators", kUpperLetter, u"a-b[c]d1e)f",
         u"A-b[c]d1e)f"},
        {"upperLetter/NonAsciiUntouched", kUpperLetter, u"élan über", u"élan über"},
        {"lowerLetter/ParenAfterSpace", kLowerLetter, u"MY _FILE (A)[!].zip",
         u"mY _FILE (A)[!].zip"},
        {"lowerLetter/Words", kLowerLetter, u"MY FILE.ZIP", u"mY fILE.zIP"},
        {"lowerLetter/EveryDot", kLowerLetter, u"X.Y.Z", u"x.y.z"},
        {"lower/AsciiOnly", kToLowerCase, u"STRAßE ÀÉ Привет.TXT", u"straße ÀÉ Привет.txt"},
        {"upper/AsciiOnly", kToUpperCase, u"straße àé привет.txt", u"STRAßE àé привет.TXT"},
        {"upper/NeighboursOfLetters", kToUpperCase, u"@[`{az", u"@[`{AZ"},
        {"reverse/WholeName", kReverse, u"My File (A)[!].zip", u"piz.]![)A( eliF yM"},
        // Code units, not characters: the pair comes out in the opposite order.
        {"reverse/SplitsSurrogatePair", kReverse, u"a\U0001F600",
         u"\xDE00\xD83D"
         u"a"},
        {"reverseLetter/SwapsAscii", kReverseLetter, u"My File (A)[!].zip", u"mY fILE (a)[!].ZIP"},
        {"reverseLetter/NonAscii", kReverseLetter, u"Straße Жк", u"sTRAßE Жк"},
        {"outOfRange/Negative", -1, u"My File.ZIP", u"My File.ZIP"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ApplyConversion(row.mode, row.input), row.expected);
    }
}

TEST(CaseConversionTest, EmptyNameStaysEmptyInEveryMode) {
    for (int mode = kNoConversion; mode <= kUpperLetter; ++mode) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(ApplyConversion(mode, u""), u"");
    }
}

}  // namespace
}  // namespace brindle
