#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brindle {

// A date and time as a source gives it: a file's time in the local zone, or a time a file
// holds, which may come without sub-seconds or without an offset.
struct DateValue {
    std::int64_t year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    // The sub-seconds' digits as the source has them (a file time: its nanoseconds without
    // their trailing zeros, "0" on the second); empty where it has none.
    std::u16string fraction;
    // East of UTC; none where the source does not say.
    std::optional<std::int32_t> offsetSeconds;
};

// What a date token writes without a format of its own.
inline constexpr std::u16string_view kDefaultDateFormat = u"%Y-%m-%d %H.%M.%S";

// Why `format` cannot format a date (a '%' letter that is none of the letters below, or
// a lone '%' at its end); nullopt when it can.
std::optional<std::u16string> DateFormatMistake(std::u16string_view format);

// Appends `date` written by `format`, strftime's letters with English names whatever the
// locale:
//   %Y year, at least 4 digits    %y its last 2     %m month 01-12     %d day 01-31
//   %e day, space-padded          %H hour 00-23     %M minute          %S second
//   %j day of the year 001-366    %a Mon  %A Monday  %b Jan  %B January
//   %p AM or PM                   %% a '%'
//   %f the sub-seconds' digits    %z the offset, +HHMM     (both empty where none)
// Everything else is copied. An empty format is kDefaultDateFormat. A format with a
// mistake (DateFormatMistake) writes its bad letters as they stand.
void AppendDate(const DateValue& date, std::u16string_view format, std::u16string& out);

}  // namespace brindle
