#include "batch/ListedInodes.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "TempFolder.h"

namespace brindle::testing {
namespace {

std::uint64_t InodeOf(const TempFolder& temp, const std::string& relative) {
    struct stat info {};
    EXPECT_EQ(lstat((temp.path() / relative).c_str(), &info), 0) << relative;
    return info.st_ino;
}

TEST(ListedInodesTest, AnswersFromOneListingAfterAFewLookups) {
    TempFolder temp;
    temp.createFiles({"f/a.txt", "f/b.txt", "f/sub/"});
    const OpenFolder folder = OpenFolder::AtPath(temp.folder("f"));
    if (!folder.inodesStable())
        GTEST_SKIP() << "the temporary folder's filesystem keeps no stable inode numbers";
    ListedInodes listed;
    // A few stats cost less than a listing: the first lookups leave it to the disk.
    for (int i = 1; i < ListedInodes::kListAfter; ++i)
        EXPECT_FALSE(listed.Find(folder, "a.txt")) << i;

    const auto a = listed.Find(folder, "a.txt");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->inode, InodeOf(temp, "f/a.txt"));
    EXPECT_FALSE(a->isFolder);
    const auto sub = listed.Find(folder, "sub");
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->inode, InodeOf(temp, "f/sub"));
    EXPECT_TRUE(sub->isFolder);

    // Names the listing never held, and names moved away since, are the disk's to tell.
    temp.createFile("f/later.txt");
    EXPECT_FALSE(listed.Find(folder, "later.txt"));
    EXPECT_FALSE(listed.Find(folder, "A.TXT"));
    listed.Forget(folder, "a.txt");
    EXPECT_FALSE(listed.Find(folder, "a.txt"));
    EXPECT_TRUE(listed.Find(folder, "b.txt"));
    listed.Clear();
    EXPECT_FALSE(listed.Find(folder, "b.txt"));
}

// Many names: each found in its bucket with its own inode number.
TEST(ListedInodesTest, EveryNameOfALargeFolder) {
    TempFolder temp;
    constexpr int kFiles = 3000;
    for (int i = 0; i < kFiles; ++i)
        temp.createFile("f/" + std::to_string(i) + ".txt");
    const OpenFolder folder = OpenFolder::AtPath(temp.folder("f"));
    if (!folder.inodesStable())
        GTEST_SKIP() << "the temporary folder's filesystem keeps no stable inode numbers";
    ListedInodes listed;
    for (int i = 0; i < ListedInodes::kListAfter; ++i)
        listed.Find(folder, "0.txt");
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = std::to_string(i) + ".txt";
        const auto found = listed.Find(folder, name);
        ASSERT_TRUE(found) << name;
        EXPECT_EQ(found->inode, InodeOf(temp, "f/" + name)) << name;
    }
    EXPECT_FALSE(listed.Find(folder, std::to_string(kFiles) + ".txt"));
}

}  // namespace
}  // namespace brindle::testing
