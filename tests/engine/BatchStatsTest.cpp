#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "engine/BatchStats.h"

namespace brindle {
namespace {

TEST(BatchStatsTest, WrappingIncrementWrapsAtTheMaximum) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    struct Row {
        std::int32_t value;
        std::int32_t next;
    };
    const Row rows[] = {{0, 1}, {-1, 0}, {kMax - 1, kMax}, {kMax, kMin}, {kMin, kMin + 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(WrappingIncrement(row.value), row.next);
    }
}

}  // namespace
}  // namespace brindle
