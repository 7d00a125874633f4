// The photo and music tokens over facts handed to the item, as the readers would give
// them: the date taken read as written, the camera data and tags made fit for a name,
// fallbacks, missing values, and what the pattern asks the readers for.
#include <gtest/gtest.h>

#include <string>

#include "engine/NameStages.h"
#include "engine/PatternCreator.h"
#include "engine/PhotoTokens.h"
#include "platform/NameCodec.h"

namespace brindle {
namespace {

std::u16string U(std::string_view text) {
    return DecodeName(text);
}

HeldFacts Photo() {
    HeldFacts facts;
    facts.taken = "2024:05:06 07:08:09";
    facts.takenSubSeconds = "25";
    facts.takenOffset = "+02:00";
    facts.Set("exif.make", u"Canon");
    facts.Set("exif.model", u"EOS R6");
    facts.Set("exif.exposure", u"1/250");
    facts.Set("exif.fnumber", u"2.8");
    facts.Set("Exif.Photo.LensModel", u"RF24-105mm F4 L IS USM");
    return facts;
}

HeldFacts Music() {
    HeldFacts facts;
    facts.Set("tag.artist", u"AC/DC");
    facts.Set("tag.title", u"  Back in Black\t");
    facts.Set("tag.track", u"3");
    facts.Set("tag.disc", u"12");
    return facts;
}

struct Built {
    std::u16string name;
    std::u16string noValue;
};

// The name `pattern` builds for an item named "IMG_1.JPG" whose file holds `facts`.
Built Build(std::u16string_view pattern, const HeldFacts& facts) {
    ParsedPattern parsed = ParseNamePattern(pattern);
    EXPECT_EQ(parsed.error, std::nullopt) << EncodeName(pattern);
    const HeldFactsNeeds needs = parsed.pattern.Needs();
    const PatternStage stage(std::move(parsed.pattern), ExtensionPlace::SetAside);
    ItemFacts item(u"/nowhere/", u"IMG_1.JPG");
    item.setNeeds(&needs);
    item.setHeld(std::make_shared<HeldFacts>(facts), needs);
    std::u16string name = u"IMG_1";
    NameCounters counters;
    stage.Apply(name, item, counters);
    return {name, item.noValue()};
}

TEST(HeldTokensTest, TokensGiveWhatTheFileHolds) {
    struct Row {
        const char* pattern;
        HeldFacts facts;
        const char* name;
        const char* noValue;
    };
    const Row rows[] = {
        {"{taken}", Photo(), "2024-05-06 07.08.09", ""},
        {"{taken:%Y%m%d_%H%M%S}", Photo(), "20240506_070809", ""},
        {"{taken:%H:%M:%S.%f %z}", Photo(), "07:08:09.25 +0200", ""},
        {"{exif.make} {exif.model}", Photo(), "Canon EOS R6", ""},
        {"{exif.exposure}s f{exif.fnumber}", Photo(), "1-250s f2.8", ""},
        {"{exif:Exif.Photo.LensModel}", Photo(), "RF24-105mm F4 L IS USM", ""},
        {"{exif.lens}", Photo(), "", "{exif.lens}"},
        {"{exif.lens|exif.model}", Photo(), "EOS R6", ""},
        {"{exif:Iptc.Application2.City}x", Photo(), "x", "{exif}"},
        {"{tag.track:2} {tag.artist} - {tag.title}", Music(), "03 AC-DC - Back in Black", ""},
        {"{tag.disc:1}-{tag.track:3}", Music(), "12-003", ""},
        {"{tag.album}/1", Music(), "0", "{tag.album}"},
        {"{taken|tag.title}", Music(), "Back in Black", ""},
        {"{tag.title}", Photo(), "", "{tag.title}"},
        {"{taken}-{tag.artist}", HeldFacts{}, "-", "{taken}, {tag.artist}"},
    };
    for (const Row& row : rows) {
        const Built built = Build(U(row.pattern), row.facts);
        EXPECT_EQ(EncodeName(built.name), row.name) << row.pattern;
        EXPECT_EQ(EncodeName(built.noValue), row.noValue) << row.pattern;
    }
}

TEST(HeldTokensTest, TheDateTakenIsReadAsWrittenOrNotAtAll) {
    struct Row {
        const char* taken;
        const char* subSeconds;
        const char* offset;
        const char* written;  // by "%Y-%m-%d %H:%M:%S.%f %z", or null for no date
    };
    const Row rows[] = {
        {"2024:05:06 07:08:09", "", "", "2024-05-06 07:08:09. "},
        {"2024:05:06 07:08:09", " 123 ", "-05:30", "2024-05-06 07:08:09.123 -0530"},
        {"2024-05-06T07:08:09.5+01:00", "99", "+03:00", "2024-05-06 07:08:09.5 +0100"},
        {"2024-05-06T07:08:09Z", "", "", "2024-05-06 07:08:09. +0000"},
        {"2024-05-06T07:08", "", "", "2024-05-06 07:08:00. "},
        {"2024-05-06", "", "", "2024-05-06 00:00:00. "},
        {"2024:02:29 23:59:60", "", "", "2024-02-29 23:59:59. "},
        {"2024:05:06 07:08:09", "12a", "+2", nullptr},
        {"0000:00:00 00:00:00", "", "", nullptr},
        {"    :  :     :  :  ", "", "", nullptr},
        {"", "", "", nullptr},
        {"2023:02:29 10:00:00", "", "", nullptr},
        {"2024:13:01 10:00:00", "", "", nullptr},
        {"2024:05:06 24:00:00", "", "", nullptr},
        {"2024", "", "", nullptr},
        {"2024-05", "", "", nullptr},
        {"2024:05:06 07:08:09 garbage", "", "", nullptr},
        {"2024-05-06T07:08:09+25:00", "", "", nullptr},
    };
    for (const Row& row : rows) {
        HeldFacts facts;
        facts.taken = row.taken;
        facts.takenSubSeconds = row.subSeconds;
        facts.takenOffset = row.offset;
        const std::optional<DateValue> date = TakenDate(facts);
        if (row.written == nullptr) {
            // A bad offset or sub-seconds text alone spoils nothing but itself.
            if (std::string_view(row.taken) == "2024:05:06 07:08:09") {
                ASSERT_TRUE(date.has_value());
                EXPECT_EQ(date->fraction, u"");
                EXPECT_FALSE(date->offsetSeconds.has_value());
            } else {
                EXPECT_FALSE(date.has_value()) << row.taken;
            }
            continue;
        }
        ASSERT_TRUE(date.has_value()) << row.taken;
        std::u16string written;
        AppendDate(*date, u"%Y-%m-%d %H:%M:%S.%f %z", written);
        EXPECT_EQ(EncodeName(written), row.written) << row.taken;
    }
}

TEST(HeldTokensTest, MistakesInArgumentsAreTheirPlace) {
    struct Row {
        const char* pattern;
        std::size_t character;  // 0: no mistake
    };
    const Row rows[] = {
        {"{exif:Exif.Photo.LensModel}", 0},
        {"{exif:Xmp.dc.title}", 0},
        {"{exif:Iptc.Application2.City}", 0},
        {"{exif}", 6},
        {"{exif:}", 7},
        {"{exif:Exif..Model}", 7},
        {"{exif:exif.photo.lens}", 7},
        {"{exif:Exif.Photo.Lens Model}", 7},
        {"ab{exif.make:x}", 14},
        {"{tag.track:2}", 0},
        {"{tag.track:0}", 12},
        {"{tag.track:10}", 12},
        {"{tag.artist:2}", 13},
        {"{taken:%Y%Q}", 8},
        {"{taken|modified:%Y}", 0},
    };
    for (const Row& row : rows) {
        const ParsedPattern parsed = ParseNamePattern(U(row.pattern));
        if (row.character == 0) {
            EXPECT_EQ(parsed.error, std::nullopt) << row.pattern;
        } else {
            ASSERT_TRUE(parsed.error.has_value()) << row.pattern;
            EXPECT_EQ(parsed.error->character, row.character) << row.pattern;
        }
    }
}

TEST(HeldTokensTest, ThePatternAsksTheReadersForWhatItsTokensUse) {
    struct Row {
        const char* pattern;
        HeldFactsNeeds needs;
    };
    const Row rows[] = {
        {"/O-/3 {modified}", {}},
        {"{taken}", {true, false, {}}},
        {"{modified|taken}", {true, false, {}}},
        {"{tag.title}", {false, true, {}}},
        {"{exif:Xmp.dc.title}{exif:Exif.Image.Artist}{exif:Xmp.dc.title}",
         {false, false, {"Exif.Image.Artist", "Xmp.dc.title"}}},
        {"{exif.model} {tag.album} {exif:Exif.Photo.LensModel}",
         {true, true, {"Exif.Photo.LensModel"}}},
    };
    for (const Row& row : rows) {
        ParsedPattern parsed = ParseNamePattern(U(row.pattern));
        ASSERT_EQ(parsed.error, std::nullopt) << row.pattern;
        EXPECT_EQ(parsed.pattern.Needs(), row.needs) << row.pattern;
    }
}

}  // namespace
}  // namespace brindle
