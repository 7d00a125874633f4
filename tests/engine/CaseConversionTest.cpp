#include "engine/CaseConversion.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "AsciiConversions.h"
#include "engine/TextOps.h"

namespace brindle {
namespace {

struct ConversionRow {
    const char* name;
    int mode;
    std::u16string input;
    std::u16string expected;
};

const ConversionRow kRows[] = {
    // Word starts, as they always were.
    {"upperLetter/ExtensionStartsAWord", kUpperLetter, u"my file.zip", u"My File.Zip"},
    {"upperLetter/LeadingSeparator", kUpperLetter, u"_abc", u"_Abc"},
    {"upperLetter/SecondSpaceIsTheConvertedChar", kUpperLetter, u"a  b", u"A  b"},
    {"upperLetter/ParenAfterSpace", kUpperLetter, u"my file (a)[!].zip", u"My File (a)[!].Zip"},
    {"upperLetter/TrailingSeparator", kUpperLetter, u"abc_", u"Abc_"},
    {"upperLetter/EveryDot", kUpperLetter, u"x.y.z", u"X.Y.Z"},
    {"upperLetter/OnlySeparators", kUpperLetter, u"(((", u"((("},
    {"upperLetter/RestOfWordKeepsCase", kUpperLetter, u"mIXED wORD", u"MIXED WORD"},
    {"upperLetter/HyphenBracketDigitNotSeparators", kUpperLetter, u"a-b[c]d1e)f", u"A-b[c]d1e)f"},
    {"lowerLetter/ParenAfterSpace", kLowerLetter, u"MY _FILE (A)[!].zip", u"mY _FILE (A)[!].zip"},
    {"lowerLetter/Words", kLowerLetter, u"MY FILE.ZIP", u"mY fILE.zIP"},
    {"lowerLetter/EveryDot", kLowerLetter, u"X.Y.Z", u"x.y.z"},
    {"upper/NeighboursOfLetters", kToUpperCase, u"@[`{az", u"@[`{AZ"},
    {"lower/NeighboursOfLetters", kToLowerCase, u"@[`{AZ\x7F", u"@[`{az\x7F"},
    {"reverse/WholeName", kReverse, u"My File (A)[!].zip", u"piz.]![)A( eliF yM"},
    {"reverseLetter/SwapsAscii", kReverseLetter, u"My File (A)[!].zip", u"mY fILE (a)[!].ZIP"},
    {"outOfRange/Negative", -1, u"My File.ZIP", u"My File.ZIP"},
    {"outOfRange/Seven", 7, u"Über", u"Über"},

    // Latin with diacritics, precomposed.
    {"latin/Lower", kToLowerCase, u"Über Größe.TXT", u"über größe.txt"},
    {"latin/Upper", kToUpperCase, u"über größe.txt", u"ÜBER GRÖßE.TXT"},
    {"latin/UpperLetter", kUpperLetter, u"élan über_ärger", u"Élan Über_Ärger"},
    {"latin/LowerLetter", kLowerLetter, u"ÉLAN ÜBER", u"éLAN üBER"},
    {"latin/ReverseLetter", kReverseLetter, u"Ça Œuvre ø", u"çA œUVRE Ø"},
    {"latin/Reverse", kReverse, u"Ärger", u"regrÄ"},
    {"latin/KelvinSignLowersToAsciiK", kToLowerCase, u"\u212A", u"k"},
    {"latin/LongSUppersToAsciiS", kToUpperCase, u"\u017Fa", u"SA"},

    // Cyrillic.
    {"cyrillic/Lower", kToLowerCase, u"ПРИВЕТ МИР.TXT", u"привет мир.txt"},
    {"cyrillic/Upper", kToUpperCase, u"привет ёж", u"ПРИВЕТ ЁЖ"},
    {"cyrillic/UpperLetter", kUpperLetter, u"привет мир_ёж", u"Привет Мир_Ёж"},
    {"cyrillic/LowerLetter", kLowerLetter, u"ПРИВЕТ МИР", u"пРИВЕТ мИР"},
    {"cyrillic/ReverseLetter", kReverseLetter, u"ЖкЁ", u"жКё"},

    // Greek: no final-sigma context, accents kept.
    {"greek/SigmaLowersToSigmaEverywhere", kToLowerCase, u"ΟΔΥΣΣΕΥΣ", u"οδυσσευσ"},
    {"greek/FinalSigmaUppers", kToUpperCase, u"οδυσσευς", u"ΟΔΥΣΣΕΥΣ"},
    {"greek/TonosKept", kToUpperCase, u"άλφα", u"ΆΛΦΑ"},
    {"greek/IotaSubscriptStaysOneCodePoint", kToUpperCase, u"\u1FB3", u"\u1FBC"},
    {"greek/UpperLetter", kUpperLetter, u"ένα δύο", u"Ένα Δύο"},
    {"greek/ReverseLetter", kReverseLetter, u"Ωμέγα", u"ωΜΈΓΑ"},

    // German sharp s: no upper case of its own in simple mapping.
    {"sharpS/StaysInUpper", kToUpperCase, u"straße", u"STRAßE"},
    {"sharpS/CapitalLowers", kToLowerCase, u"STRA\u1E9EE", u"straße"},
    {"sharpS/UpperLetterKeepsIt", kUpperLetter, u"ßa", u"ßa"},
    {"sharpS/ReverseLetter", kReverseLetter, u"ß\u1E9E", u"ßß"},

    // Turkish i without a locale.
    {"turkish/DottedCapitalLowersToI", kToLowerCase, u"İSTANBUL", u"istanbul"},
    {"turkish/DotlessUppersToI", kToUpperCase, u"ısparta", u"ISPARTA"},
    {"turkish/IUppersToAsciiI", kToUpperCase, u"izmir", u"IZMIR"},
    {"turkish/ILowersToAsciiI", kToLowerCase, u"DİYARBAKIR", u"diyarbakir"},
    {"turkish/ReverseLetter", kReverseLetter, u"İı", u"iI"},

    // Georgian: Mkhedruli raises to Mtavruli; upper case, not title case.
    {"georgian/Upper", kToUpperCase, u"ქართული", u"ᲥᲐᲠᲗᲣᲚᲘ"},
    {"georgian/Lower", kToLowerCase, u"ᲥᲐᲠᲗᲣᲚᲘ", u"ქართული"},
    {"georgian/UpperLetterIsNotTitle", kUpperLetter, u"ა ბ", u"Ა Ბ"},
    {"georgian/AsomtavruliLowersToNuskhuri", kToLowerCase, u"\u10A0", u"\u2D00"},
    {"titlecase/UpperLetterRaisesDz", kUpperLetter, u"ǆemal", u"Ǆemal"},
    {"titlecase/LowerLetterLowersDz", kLowerLetter, u"ǅemal", u"ǆemal"},
    {"titlecase/ReverseLetterRaisesTitle", kReverseLetter, u"ǅ", u"Ǆ"},

    // Beyond the first plane: a pair is one code point.
    {"astral/Lower", kToLowerCase, u"\U00010400\U00010401.TXT", u"\U00010428\U00010429.txt"},
    {"astral/Upper", kToUpperCase, u"\U00010428x", u"\U00010400X"},
    {"astral/UpperLetterConvertsTheWholePair", kUpperLetter, u"_\U00010428\U00010429",
     u"_\U00010400\U00010429"},
    {"astral/ReverseLetter", kReverseLetter, u"\U00010400\U00010429", u"\U00010428\U00010401"},
    {"astral/ReverseKeepsPairsWhole", kReverse, u"a\U0001F600b\U00010400",
     u"\U00010400b\U0001F600a"},
    {"astral/EmojiUntouched", kToUpperCase, u"\U0001F600x", u"\U0001F600X"},

    // Combining marks are code points of their own.
    {"combining/Upper", kToUpperCase, u"e\u0301te", u"E\u0301TE"},
    {"combining/ReverseMovesTheMark", kReverse, u"e\u0301a", u"a\u0301e"},
    {"combining/MarkIsTheConvertedCodePoint", kUpperLetter, u"x _\u0301ab", u"X _\u0301ab"},

    // The name codec's byte escapes and other lone surrogates never change.
    {"escapes/Lower", kToLowerCase, u"\xDCC4\xDCD6.TXT", u"\xDCC4\xDCD6.txt"},
    {"escapes/Upper", kToUpperCase,
     u"a\xDCFF"
     u"b",
     u"A\xDCFF"
     u"B"},
    {"escapes/ReverseLetter", kReverseLetter, u"\xDC80x", u"\xDC80X"},
    {"escapes/ReverseKeepsEachEscape", kReverse, u"a\xDC80\xDCFF",
     u"\xDCFF\xDC80"
     u"a"},
    {"escapes/AreTheConvertedCodePoint", kUpperLetter, u"_\xDCE9t", u"_\xDCE9t"},
    {"loneSurrogates/Upper", kToUpperCase,
     u"\xD800"
     u"a\xDC00"
     u"b",
     u"\xD800"
     u"A\xDC00"
     u"B"},
    {"loneSurrogates/Lower", kToLowerCase, u"\xDBFFZ", u"\xDBFFz"},
};

TEST(CaseConversionTest, ConvertsByMode) {
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ApplyConversion(row.mode, row.input), row.expected);
        // The name stages convert the name where it stands: ASCII in place, the rest as
        // a copy, with one result.
        std::u16string name(row.input);
        ApplyConversionTo(row.mode, name);
        EXPECT_EQ(name, row.expected);
    }
}

TEST(CaseConversionTest, EveryModeKeepsTheLengthInCodePoints) {
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.name);
        for (int mode = kNoConversion; mode <= kUpperLetter; ++mode) {
            SCOPED_TRACE(mode);
            const std::u16string converted = ApplyConversion(mode, row.input);
            EXPECT_EQ(CodePointCount(converted), CodePointCount(row.input));
            // No simple mapping leaves its plane, so the code units keep their count too.
            EXPECT_EQ(converted.size(), row.input.size());
        }
        EXPECT_EQ(ReverseName(ReverseName(row.input)), row.input);
    }
}

TEST(CaseConversionTest, EmptyNameStaysEmptyInEveryMode) {
    for (int mode = kNoConversion; mode <= kUpperLetter; ++mode) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(ApplyConversion(mode, u""), u"");
    }
}

// Every ASCII name of up to two characters, every name of three over the characters that
// matter to the word scan, and many longer random ones: no result may differ.
TEST(CaseConversionTest, AsciiNamesConvertAsBefore) {
    std::vector<std::u16string> names = {u""};
    for (char16_t a = 0; a < 0x80; ++a) {
        names.push_back(std::u16string(1, a));
        for (char16_t b = 0; b < 0x80; ++b)
            names.push_back(std::u16string{a, b});
    }
    const std::u16string alphabet = u" _(.)-[aAzZmM09@`{~\x7F";
    for (char16_t a : alphabet) {
        for (char16_t b : alphabet) {
            for (char16_t c : alphabet)
                names.push_back(std::u16string{a, b, c});
        }
    }
    std::mt19937 random(20240613);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> anyAscii(0, 0x7F);
    std::uniform_int_distribution<std::size_t> fromAlphabet(0, alphabet.size() - 1);
    for (int i = 0; i < 100000; ++i) {
        std::u16string name(static_cast<std::size_t>(length(random)), u'\0');
        for (char16_t& c : name) {
            c = i % 2 == 0 ? static_cast<char16_t>(anyAscii(random))
                           : alphabet[fromAlphabet(random)];
        }
        names.push_back(std::move(name));
    }

    std::vector<std::string> differences;
    for (const std::u16string& name : names) {
        for (int mode = kNoConversion - 1; mode <= kUpperLetter + 1; ++mode) {
            if (ApplyConversion(mode, name) != testing::ascii::Convert(mode, name) &&
                differences.size() < 20) {
                std::string shown(name.begin(), name.end());
                differences.push_back("mode " + std::to_string(mode) + ": '" + shown + "'");
            }
        }
    }
    EXPECT_EQ(differences, std::vector<std::string>{});
}

}  // namespace
}  // namespace brindle
