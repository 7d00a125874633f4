#include <sys/mman.h>

#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "engine/TextOps.h"

namespace brindle {
namespace {

TEST(TextOpsTest, LengthOfCountsUtf16Units) {
    struct Row {
        const char* name;
        std::u16string text;
        std::int32_t length;
    };
    const Row rows[] = {
        {"Empty", u"", 0},
        {"Plain", u"Track01.MP3", 11},
        {"PairIsTwoUnits", u"\U0001F600.txt", 6},
        {"LoneSurrogateIsOneUnit", u"\xDC80x", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(LengthOf(row.text), row.length);
    }
}

// A text longer than the counters can hold counts as their maximum, never as a negative
// length. The pages are reserved, not touched: the test needs no memory of that size.
TEST(TextOpsTest, LengthOfAnOverlongTextIsTheCountersMaximum) {
    constexpr std::size_t kUnits = std::size_t{1} << 31;  // INT32_MAX + 1
    const std::size_t bytes = kUnits * sizeof(char16_t);
    void* pages =
        mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (pages == MAP_FAILED)
        GTEST_SKIP() << "cannot reserve " << bytes << " bytes of address space";
    const std::u16string_view text(static_cast<const char16_t*>(pages), kUnits);
    EXPECT_EQ(LengthOf(text), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(LengthOf(text.substr(1)), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(LengthOf(text.substr(2)), std::numeric_limits<std::int32_t>::max() - 1);
    munmap(pages, bytes);
}

}  // namespace
}  // namespace brindle
