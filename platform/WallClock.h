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

// The moment in the user's time zone, to the second: "2026-12-09 16:52:46".
std::u16string LocalTimeText(std::int64_t seconds);

}  // namespace brindle
