// Dates written by a format, every letter, and the cleaning every token's value gets.
#include "engine/DateFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "engine/NameTokens.h"
#include "engine/PatternCreator.h"

namespace brindle {
namespace {

std::u16string Formatted(const DateValue& date, std::u16string_view format) {
    std::u16string out;
    AppendDate(date, format, out);
    return out;
}

TEST(DateFormatTest, EveryLetterInEnglishWhateverTheLocale) {
    // The machine may lack the locale; asked for, it must change nothing either way.
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    std::setlocale(LC_ALL, "");
    // 2024-03-05 14:07:09, a Tuesday; 2023-12-31 a Sunday, the 365th day.
    const DateValue full{2024, 3, 5, 14, 7, 9, u"25", 19800};
    const DateValue bare{2023, 12, 31, 0, 0, 0, {}, std::nullopt};
    const DateValue early{7, 1, 1, 12, 30, 0, u"000123", -37800};
    struct Row {
        const char* name;
        const DateValue& date;
        std::u16string format;
        std::u16string expected;
    };
    const Row rows[] = {
        {"default/Empty", full, u"", u"2024-03-05 14.07.09"},
        {"numbers/All", full, u"%Y %y %m %d %e %H %M %S %j", u"2024 24 03 05  5 14 07 09 065"},
        {"names/Short", full, u"%a %b", u"Tue Mar"},
        {"names/Long", full, u"%A %B", u"Tuesday March"},
        {"names/EndOfYear", bare, u"%A %B %j", u"Sunday December 365"},
        {"hour/Midnight", bare, u"%H %p", u"00 AM"},
        {"hour/Afternoon", full, u"%p", u"PM"},
        {"hour/Noon", early, u"%p", u"PM"},
        {"percent/Escaped", full, u"100%%", u"100%"},
        {"colons/Kept", full, u"%H:%M:%S", u"14:07:09"},
        {"fraction/Present", full, u"%S.%f", u"09.25"},
        {"fraction/LeadingZerosKept", early, u"%f", u"000123"},
        {"fraction/AbsentIsEmpty", bare, u"[%f]", u"[]"},
        {"offset/East", full, u"%z", u"+0530"},
        {"offset/West", early, u"%z", u"-1030"},
        {"offset/AbsentIsEmpty", bare, u"[%z]", u"[]"},
        {"year/PaddedToFour", early, u"%Y %y", u"0007 07"},
        {"text/Copied", full, u"IMG_%Y%m%d_%H%M%S", u"IMG_20240305_140709"},
        {"text/NonAscii", full, u"\u00e9t\u00e9 %Y", u"\u00e9t\u00e9 2024"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DateFormatMistake(row.format), std::nullopt);
        EXPECT_EQ(Formatted(row.date, row.format), row.expected);
    }
    std::setlocale(LC_ALL, "C");
    unsetenv("LC_ALL");
}

DateValue Day(std::int64_t year, int month, int day) {
    return {year, month, day, 0, 0, 0, {}, std::nullopt};
}

TEST(DateFormatTest, EveryWeekdayAndMonthHasItsName) {
    // 2024-01-01 was a Monday; the first of each month of 2024 and the days of its first week.
    const char16_t* days[] = {u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat", u"Sun"};
    for (int d = 0; d < 7; ++d)
        EXPECT_EQ(Formatted(Day(2024, 1, 1 + d), u"%a"), days[d]);
    const char16_t* months[] = {u"January",   u"February", u"March",    u"April",
                                u"May",       u"June",     u"July",     u"August",
                                u"September", u"October",  u"November", u"December"};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(Formatted(Day(2024, m, 1), u"%B"), months[m - 1]);
    // A leap year's last day, and a century that is no leap year.
    EXPECT_EQ(Formatted(Day(2024, 12, 31), u"%j %a"), u"366 Tue");
    EXPECT_EQ(Formatted(Day(1900, 3, 1), u"%j %a"), u"060 Thu");
}

TEST(DateFormatTest, UnknownLettersArePatternMistakes) {
    struct Row {
        const char* name;
        std::u16string pattern;
        std::size_t character;
        std::u16string reason;
    };
    const std::u16string noLetter =
        u"' in its date format, which is no date letter (%Y %y %m %d %e %H %M %S %j %a %A %b "
        u"%B %p %f %z %%)";
    const Row rows[] = {
        {"letter/Unknown", u"{modified:%Y%q}", 11, u"\"modified\" has '%q" + noLetter},
        {"letter/LocaleDependent", u"x{now:%c}", 7, u"\"now\" has '%c" + noLetter},
        {"letter/Space", u"{created:% }", 10, u"\"created\" has '% " + noLetter},
        {"lone/AtTheEnd", u"{modified:%Y%}", 11,
         u"\"modified\" has a lone '%' at the end of its date format"},
        {"lone/InAFallback", u"{created|modified:%}", 19,
         u"\"created\" has a lone '%' at the end of its date format"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ParsedPattern parsed = ParseNamePattern(row.pattern);
        EXPECT_EQ(parsed.error, (PatternError{row.character, row.reason}));
    }
    for (const std::u16string_view fine :
         {u"{modified}", u"{modified:}", u"{now:%%}", u"{created:a%%%Y}"}) {
        EXPECT_EQ(ParseNamePattern(fine).error, std::nullopt) << fine.size();
    }
}

TEST(DateFormatTest, TokenValuesAreMadeFitForAName) {
    struct Row {
        const char* name;
        std::u16string value;
        std::u16string expected;
    };
    const Row rows[] = {
        {"slash/BecomesDash", u"AC/DC", u"AC-DC"},
        {"slash/Many", u"1/250/", u"1-250-"},
        {"control/Removed",
         std::u16string(u"a\0b\tc\nd\x7f"
                        u"e\x85"
                        u"f",
                        11),
         u"abcdef"},
        {"space/Trimmed", u"  Art \u00a0", u"Art"},
        {"space/InsideKept", u"two  words", u"two  words"},
        {"space/TrimmedAfterControls", u"\t x \r\n", u"x"},
        {"space/Only", u" \u3000 ", u""},
        {"backslash/Kept", u"a\\b", u"a\\b"},
        {"unicode/Kept", u"\u00e9\U0001F600", u"\u00e9\U0001F600"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::u16string text = u"kept ";
        text += row.value;
        CleanTokenValue(text, 5);
        EXPECT_EQ(text, u"kept " + row.expected);
    }
}

}  // namespace
}  // namespace brindle
