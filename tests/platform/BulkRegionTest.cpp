// Room that grows by moving its pages: what was written stays, from a few bytes to past
// the size of a huge page, and a moved region owns it alone.
#include <cstddef>
#include <utility>

#include <gtest/gtest.h>

#include "platform/BulkRegion.h"

namespace brindle::testing {
namespace {

// A byte for every place, different from its neighbours'.
char ByteAt(std::size_t place) {
    return static_cast<char>(place * 7 + place / 4096);
}

TEST(BulkRegionTest, GrowingKeepsWhatWasWritten) {
    BulkRegion region;
    std::size_t written = 0;
    for (const std::size_t size : {std::size_t{1}, std::size_t{5000}, std::size_t{3} << 20,
                                   std::size_t{3} << 20, std::size_t{9} << 20}) {
        region.Reserve(size);
        ASSERT_GE(region.capacity(), size);
        for (; written < size; ++written)
            region.data()[written] = ByteAt(written);
        for (std::size_t place = 0; place < written; place += 977)
            ASSERT_EQ(region.data()[place], ByteAt(place)) << place;
        EXPECT_EQ(region.data()[written - 1], ByteAt(written - 1));
    }

    BulkRegion moved = std::move(region);
    EXPECT_EQ(region.data(), nullptr);
    EXPECT_EQ(region.capacity(), 0u);
    EXPECT_EQ(moved.data()[written / 2], ByteAt(written / 2));
    region = std::move(moved);
    EXPECT_EQ(region.data()[written - 1], ByteAt(written - 1));
}

}  // namespace
}  // namespace brindle::testing
