#pragma once

#include <cstdint>
#include <string>

namespace brindle {

// A moment of the wall clock: seconds since 1970-01-01 00:00 UTC and nanoseconds.
struct WallTime {
    std::int64_t seconds = 0;
    std::uint32_t nanoseconds = 0;
    auto operator<=>(const WallTime&) const = default;
};

WallTime WallClockNow();

// A moment as the clock on the wall shows it in some zone, and that zone's offset from
// UTC (east positive).
struct LocalClock {
    std::int64_t year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;  // 0..60
    std::int32_t offsetSeconds = 0;
};

// The moment in the user's time zone, `TZ` as it stands now; false where the C library
// cannot place it (a year out of its range).
bool ToLocalClock(std::int64_t seconds, LocalClock& local);

// The moment in the user's time zone, to the second: "2026-12-09 16:52:46".
std::u16string LocalTimeText(std::int64_t seconds);

}  // namespace brindle
