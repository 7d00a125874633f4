// Dates written by a strftime-like format, with the names in English: a name must not
// change with the machine it was made on, so the C library's locale is never asked.
#include "engine/DateFormat.h"

#include <array>

#include "engine/IntegerText.h"

namespace brindle {

namespace {

constexpr std::array<std::u16string_view, 7> kDays = {
    u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"};
constexpr std::array<std::u16string_view, 12> kMonths = {
    u"January", u"February", u"March",     u"April",   u"May",      u"June",
    u"July",    u"August",   u"September", u"October", u"November", u"December"};

bool IsFormatLetter(char16_t c) {
    return std::u16string_view(u"YymdeHMSjaAbBpfz%").find(c) != std::u16string_view::npos;
}

// Days from 1970-01-01 to the date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::int64_t FloorMod(std::int64_t value, std::int64_t by) {
    const std::int64_t r = value % by;
    return r < 0 ? r + by : r;
}

void AppendPadded(std::u16string& out, std::int64_t value, std::size_t width, char16_t pad) {
    if (value < 0) {
        out += u'-';
        value = -value;
    }
    const std::u16string digits = DecimalText(value);
    for (std::size_t i = digits.size(); i < width; ++i)
        out += pad;
    out += digits;
}

void AppendLetter(const DateValue& date, char16_t letter, std::u16string& out) {
    const auto month =
        static_cast<std::size_t>(date.month >= 1 && date.month <= 12 ? date.month - 1 : 0);
    switch (letter) {
        case u'Y':
            AppendPadded(out, date.year, 4, u'0');
            break;
        case u'y':
            AppendPadded(out, FloorMod(date.year, 100), 2, u'0');
            break;
        case u'm':
            AppendPadded(out, date.month, 2, u'0');
            break;
        case u'd':
            AppendPadded(out, date.day, 2, u'0');
            break;
        case u'e':
            AppendPadded(out, date.day, 2, u' ');
            break;
        case u'H':
            AppendPadded(out, date.hour, 2, u'0');
            break;
        case u'M':
            AppendPadded(out, date.minute, 2, u'0');
            break;
        case u'S':
            AppendPadded(out, date.second, 2, u'0');
            break;
        case u'j':
            AppendPadded(
                out,
                DaysFromCivil(date.year, date.month, date.day) - DaysFromCivil(date.year, 1, 1) + 1,
                3, u'0');
            break;
        case u'a':
        case u'A': {
            // 1970-01-01 was a Thursday.
            const auto weekday = static_cast<std::size_t>(
                FloorMod(DaysFromCivil(date.year, date.month, date.day) + 4, 7));
            out += letter == u'a' ? kDays[weekday].substr(0, 3) : kDays[weekday];
            break;
        }
        case u'b':
            out += kMonths[month].substr(0, 3);
            break;
        case u'B':
            out += kMonths[month];
            break;
        case u'p':
            out += date.hour < 12 ? u"AM" : u"PM";
            break;
        case u'f':
            out += date.fraction;
            break;
        case u'z':
            if (date.offsetSeconds) {
                const std::int32_t offset = *date.offsetSeconds;
                out += offset < 0 ? u'-' : u'+';
                const std::int32_t minutes = (offset < 0 ? -offset : offset) / 60;
                AppendPadded(out, minutes / 60, 2, u'0');
                AppendPadded(out, minutes % 60, 2, u'0');
            }
            break;
        case u'%':
            out += u'%';
            break;
        default:
            out += u'%';
            out += letter;
            break;
    }
}

}  // namespace

std::optional<std::u16string> DateFormatMistake(std::u16string_view format) {
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%')
            continue;
        if (i + 1 == format.size())
            return u"has a lone '%' at the end of its date format";
        const char16_t letter = format[++i];
        if (!IsFormatLetter(letter)) {
            std::u16string reason = u"has '%";
            reason += letter;
            reason +=
                u"' in its date format, which is no date letter (%Y %y %m %d %e %H %M %S "
                u"%j %a %A %b %B %p %f %z %%)";
            return reason;
        }
    }
    return std::nullopt;
}

void AppendDate(const DateValue& date, std::u16string_view format, std::u16string& out) {
    if (format.empty())
        format = kDefaultDateFormat;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size()) {
            AppendLetter(date, format[++i], out);
        } else {
            out += format[i];
        }
    }
}

}  // namespace brindle
