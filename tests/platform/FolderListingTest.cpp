// A listing's names stay where they were put while it grows from a few entries on the
// heap to many in a region of their own, is moved and is reordered; the names come from
// the filesystem's bytes as the name codec decodes them.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FolderListing.h"
#include "platform/NameCodec.h"

namespace brindle::testing {
namespace {

std::string BytesOf(std::size_t i) {
    // Names of different lengths, some long, some not UTF-8 at all.
    std::string name = "n" + std::to_string(i) + std::string(i % 200, 'x');
    if (i % 7 == 0)
        name += "\xC3\xA9";  // é
    if (i % 11 == 0)
        name += "\xF0\x9F\x93\xB7";  // a camera: two units
    if (i % 13 == 0)
        name += "\xFF";  // no UTF-8: kept as its escape
    return name;
}

TEST(FolderListingTest, NamesStayWhileTheListingGrowsMovesAndIsReordered) {
    // From no guess and from a guess far too small, past the heap into regions.
    for (const std::size_t expected : {std::size_t{0}, std::size_t{3}, std::size_t{5000}}) {
        FolderListing listing(expected);
        constexpr std::size_t kCount = 30000;
        std::vector<std::u16string_view> first;
        for (std::size_t i = 0; i < kCount; ++i) {
            if (i % 2 == 0)
                listing.AddBytes(BytesOf(i), i % 3 == 0, i);
            else
                listing.Add(DecodeName(BytesOf(i)), i % 3 == 0, i);
            first.push_back(listing[i].name);
        }
        FolderListing moved = std::move(listing);
        EXPECT_TRUE(listing.empty());
        ASSERT_EQ(moved.size(), kCount);
        for (std::size_t i = 0; i < kCount; ++i) {
            ASSERT_EQ(moved[i].name, DecodeName(BytesOf(i))) << i;
            // The very characters first written, not a copy.
            ASSERT_EQ(moved[i].name.data(), first[i].data()) << i;
            ASSERT_EQ(moved[i].isFolder, i % 3 == 0);
            ASSERT_EQ(moved[i].inode, i);
        }

        std::vector<std::size_t> order;
        for (std::size_t i = kCount; i-- > 0;) {
            if (i % 5 != 0)
                order.push_back(i);
        }
        moved.Reorder(order);
        ASSERT_EQ(moved.size(), order.size());
        std::size_t at = 0;
        for (const FolderEntry& entry : moved) {
            ASSERT_EQ(entry.name, DecodeName(BytesOf(order[at]))) << at;
            ASSERT_EQ(entry.inode, order[at]);
            ++at;
        }
    }
}

}  // namespace
}  // namespace brindle::testing
