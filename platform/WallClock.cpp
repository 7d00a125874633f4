#include "platform/WallClock.h"

#include <ctime>

namespace brindle {

WallTime WallClockNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return {static_cast<std::int64_t>(now.tv_sec), static_cast<std::uint32_t>(now.tv_nsec)};
}

bool ToLocalClock(std::int64_t seconds, LocalClock& local) {
    // localtime_r need not look at TZ again by itself; tzset does, cheaply when TZ is as
    // it was.
    ::tzset();
    const auto time = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (::localtime_r(&time, &tm) == nullptr)
        return false;
    local.year = static_cast<std::int64_t>(tm.tm_year) + 1900;
    local.month = tm.tm_mon + 1;
    local.day = tm.tm_mday;
    local.hour = tm.tm_hour;
    local.minute = tm.tm_min;
    local.second = tm.tm_sec;
    local.offsetSeconds = static_cast<std::int32_t>(tm.tm_gmtoff);
    return true;
}

std::u16string LocalTimeText(std::int64_t seconds) {
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    char text[32];
    if (::localtime_r(&time, &local) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0) {
        return u"?";
    }
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

}  // namespace brindle
