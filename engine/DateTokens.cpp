#include "engine/DateTokens.h"

namespace brindle {

namespace {

std::optional<std::u16string> FormatMistake(std::optional<std::u16string_view> format) {
    if (!format)
        return std::nullopt;
    return DateFormatMistake(*format);
}

bool AppendTime(const std::optional<WallTime>& time, std::u16string_view format,
                std::u16string& out) {
    if (!time)
        return false;
    const std::optional<DateValue> date = LocalDate(*time);
    if (!date)
        return false;
    AppendDate(*date, format, out);
    return true;
}

NameToken DateToken(std::u16string name, std::optional<WallTime> (*time)(const ItemFacts&)) {
    return {std::move(name),
            FormatMistake,
            [time](const ItemFacts& item, std::u16string_view format, std::u16string& out) {
                return AppendTime(time(item), format, out);
            },
            false,
            {}};
}

}  // namespace

std::optional<DateValue> LocalDate(WallTime time) {
    LocalClock local;
    if (!ToLocalClock(time.seconds, local))
        return std::nullopt;
    DateValue date{local.year,   local.month,  local.day, local.hour,
                   local.minute, local.second, {},        local.offsetSeconds};
    // Nanoseconds, as many digits as they need: "5" for half a second, "0" on the second.
    std::uint32_t nanoseconds = time.nanoseconds % 1000000000u;
    int digits = 9;
    while (digits > 1 && nanoseconds % 10 == 0) {
        nanoseconds /= 10;
        --digits;
    }
    date.fraction.assign(static_cast<std::size_t>(digits), u'0');
    for (int i = digits - 1; i >= 0; --i, nanoseconds /= 10)
        date.fraction[static_cast<std::size_t>(i)] = static_cast<char16_t>(u'0' + nanoseconds % 10);
    return date;
}

std::vector<NameToken> DateTokens() {
    std::vector<NameToken> tokens;
    tokens.push_back(DateToken(u"modified", [](const ItemFacts& item) -> std::optional<WallTime> {
        const ItemTimes& times = item.times();
        if (!times.hasModified)
            return std::nullopt;
        return times.modified;
    }));
    tokens.push_back(DateToken(u"created", [](const ItemFacts& item) -> std::optional<WallTime> {
        const ItemTimes& times = item.times();
        if (!times.hasBirth)
            return std::nullopt;
        return times.birth;
    }));
    tokens.push_back(DateToken(u"now", [](const ItemFacts& item) -> std::optional<WallTime> {
        return item.batchStart();
    }));
    return tokens;
}

}  // namespace brindle
