#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/NameCodec.h"

namespace brindle {
namespace {

TEST(NameCodecTest, DecodesStrictUtf8AndEscapesEveryOtherByte) {
    struct Row {
        const char* name;
        std::string bytes;
        std::u16string decoded;
        bool validUtf8;
    };
    const Row rows[] = {
        {"valid/Ascii", "song.mp3", u"song.mp3", true},
        {"valid/Empty", "", u"", true},
        {"valid/Cyrillic", "\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F", u"Песня", true},
        {"valid/Emoji", "a\xF0\x9F\x98\x80z", u"a\U0001F600z", true},
        {"valid/LastBeforeSurrogates", "\xED\x9F\xBF", u"\uD7FF", true},
        {"valid/FirstAfterSurrogates", "\xEE\x80\x80", u"\uE000", true},
        {"valid/Highest", "\xF4\x8F\xBF\xBF", u"\U0010FFFF", true},
        {"valid/ByteOrderMarkKept",
         "\xEF\xBB\xBF"
         "a",
         u"\uFEFF"
         "a",
         true},
        {"invalid/LoneContinuation", "\x80", u"\xDC80", false},
        {"invalid/HighestByte", "a\xFFz", u"a\xDCFFz", false},
        {"invalid/Latin1", "caf\xE9", u"caf\xDCE9", false},
        {"overlong/TwoBytes", "\xC0\xAF", u"\xDCC0\xDCAF", false},
        {"overlong/TwoBytesC1", "\xC1\xBF", u"\xDCC1\xDCBF", false},
        {"overlong/ThreeBytes", "\xE0\x80\xAF", u"\xDCE0\xDC80\xDCAF", false},
        {"overlong/FourBytes", "\xF0\x80\x80\xAF", u"\xDCF0\xDC80\xDC80\xDCAF", false},
        {"surrogate/High", "\xED\xA0\x80", u"\xDCED\xDCA0\xDC80", false},
        {"surrogate/Low", "\xED\xBF\xBF", u"\xDCED\xDCBF\xDCBF", false},
        {"tooHigh/F4_90", "\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80", false},
        {"tooHigh/F5", "\xF5\x80\x80\x80", u"\xDCF5\xDC80\xDC80\xDC80", false},
        {"truncated/ThreeOfFour", "\xF0\x9F\x98", u"\xDCF0\xDC9F\xDC98", false},
        {"truncated/ThenAscii",
         "\xE2\x82"
         "A",
         u"\xDCE2\xDC82"
         "A",
         false},
        {"truncated/ThenValid", "\xE2\xD0\x9F", u"\xDCE2П", false},
    };
    // Decoding into a string that held a longer name before leaves nothing of it.
    std::u16string reused = u"a name longer than any of the rows";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DecodeName(row.bytes), row.decoded);
        DecodeNameInto(row.bytes, reused);
        EXPECT_EQ(reused, row.decoded);
        EXPECT_EQ(EncodeName(row.decoded), row.bytes);
        EXPECT_EQ(IsValidUtf8(row.bytes), row.validUtf8);
        EXPECT_TRUE(IsValidName16(row.decoded));
    }
}

TEST(NameCodecTest, EveryByteStringSurvivesTheRoundTrip) {
    for (int first = 0; first < 256; ++first) {
        const std::string one(1, static_cast<char>(first));
        ASSERT_EQ(EncodeName(DecodeName(one)), one) << "byte " << first;
        for (int second = 0; second < 256; ++second) {
            const std::string two{static_cast<char>(first), static_cast<char>(second)};
            ASSERT_EQ(EncodeName(DecodeName(two)), two) << first << " " << second;
        }
    }
    // Longer strings biased towards lead and continuation bytes, from a fixed seed.
    std::uint32_t state = 12345;
    const auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state >> 24;
    };
    for (int round = 0; round < 20000; ++round) {
        std::string bytes;
        const auto length = next() % 12;
        for (std::uint32_t i = 0; i < length; ++i) {
            const auto pick = next();
            bytes.push_back(static_cast<char>(pick < 128 ? 0x80 + pick % 64 : pick));
        }
        const std::u16string name = DecodeName(bytes);
        ASSERT_EQ(EncodeName(name), bytes);
        ASSERT_TRUE(IsValidName16(name));
    }
}

TEST(NameCodecTest, TellsUnpairedSurrogatesFromByteEscapes) {
    struct Row {
        const char* name;
        std::u16string text;
        bool valid;
        std::string encoded;
    };
    const Row rows[] = {
        {"escape/Lowest", u"\xDC80", true, "\x80"},
        {"escape/Highest", u"\xDCFF", true, "\xFF"},
        {"pair/Emoji", u"\xD83D\xDE00", true, "\xF0\x9F\x98\x80"},
        {"pair/LowHalfLooksLikeEscape", u"\xD800\xDC80", true, "\xF0\x90\x82\x80"},
        {"lone/High", u"a\xD800", false, "a\xED\xA0\x80"},
        {"lone/HighBeforeAscii", u"\xDBFFz", false, "\xED\xAF\xBFz"},
        {"lone/LowBelowEscapes", u"\xDC7F", false, "\xED\xB1\xBF"},
        {"lone/LowAboveEscapes", u"\xDD00", false, "\xED\xB4\x80"},
        {"lone/SplitPairReversed", u"\xDE00\xD83D", false, "\xED\xB8\x80\xED\xA0\xBD"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsValidName16(row.text), row.valid);
        EXPECT_EQ(EncodeName(row.text), row.encoded);
    }
}

TEST(NameCodecTest, TextLineIsUtf8OnlyWhenTheWholeLineIs) {
    struct Row {
        const char* name;
        std::string bytes;
        std::u16string line;
    };
    const Row rows[] = {
        {"latin1/NoBreakSpaceAlone", "\xA0", u"\u00A0"},
        {"utf8/NoBreakSpaceAsContinuation", "\xC2\xA0", u"\u00A0"},
        {"latin1/Accent", "caf\xE9", u"caf\u00E9"},
        {"latin1/ValidPartTooWhenAnyByteIsInvalid", "\xD0\x9F\xE9", u"\u00D0\u009F\u00E9"},
        {"utf8/Cyrillic", "\xD0\x9F\xD0\xB5", u"Пе"},
        {"utf8/ByteOrderMarkIsACharacter", "\xEF\xBB\xBF[config]", u"\uFEFF[config]"},
        {"latin1/SurrogateBytes", "\xED\xA0\x80", u"\u00ED\u00A0\u0080"},
        {"ascii/Empty", "", u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DecodeTextLine(row.bytes), row.line);
    }
}

}  // namespace
}  // namespace brindle
