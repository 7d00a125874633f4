// The cache of what files hold, on real files: each version of a file read once, what is
// no regular file never opened, and a link never followed.
#include "engine/HeldFactsCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/TempFolder.h"

namespace brindle {
namespace {

void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(HeldFactsCacheTest, AFileIsReadOnceWhileItStaysTheSame) {
    testing::TempFolder folder;
    Write(folder.path() / "a.jpg", "not a photo");
    HeldFactsCache cache;
    const int fd = open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const HeldFactsNeeds photo{true, false, {}};
    const HeldFactsNeeds key{false, false, {"Exif.Image.Make"}};

    const auto first = cache.Get(fd, "a.jpg", photo);
    EXPECT_EQ(cache.Get(fd, "a.jpg", photo), first);
    EXPECT_EQ(cache.Get(-1, (folder.path() / "a.jpg").string(), photo), first);
    EXPECT_EQ(cache.reads(), 1u);
    EXPECT_FALSE(first->problem.empty());

    // Asked for more than was read: read again for both, then both are served.
    const auto both = cache.Get(fd, "a.jpg", key);
    EXPECT_EQ(cache.reads(), 2u);
    EXPECT_EQ(cache.Get(fd, "a.jpg", photo), both);
    EXPECT_EQ(cache.Get(fd, "a.jpg", NeedsUnion(photo, key)), both);
    EXPECT_EQ(cache.reads(), 2u);

    // A new version (its size and time change) is read anew.
    Write(folder.path() / "a.jpg", "not a photo either");
    cache.Get(fd, "a.jpg", photo);
    EXPECT_EQ(cache.reads(), 3u);
    cache.Clear();
    cache.Get(fd, "a.jpg", photo);
    EXPECT_EQ(cache.reads(), 4u);
    close(fd);
}

TEST(HeldFactsCacheTest, WhatIsNoRegularFileIsNeverOpened) {
    testing::TempFolder folder;
    Write(folder.path() / "real.mp3", "ID3");
    ASSERT_EQ(mkfifo((folder.path() / "pipe.mp3").c_str(), 0600), 0);
    ASSERT_EQ(symlink("real.mp3", (folder.path() / "link.mp3").c_str()), 0);
    std::filesystem::create_directory(folder.path() / "folder.mp3");
    HeldFactsCache cache;
    const HeldFactsNeeds audio{false, true, {}};
    struct Row {
        const char* name;
        const char* problem;
    };
    const Row rows[] = {
        {"pipe.mp3", "not a regular file"},  // opening it would wait for a writer
        {"link.mp3", "not a regular file"},
        {"folder.mp3", "not a regular file"},
        {"missing.mp3", "No such file or directory"},
    };
    for (const Row& row : rows) {
        const auto facts = cache.Get(-1, (folder.path() / row.name).string(), audio);
        EXPECT_EQ(facts->problem, row.problem) << row.name;
        EXPECT_TRUE(facts->values.empty()) << row.name;
    }
    EXPECT_EQ(cache.reads(), 0u);
}

TEST(HeldFactsCacheTest, NeedsCoverWhatTheyAskForAndMore) {
    const HeldFactsNeeds none;
    const HeldFactsNeeds photo{true, false, {}};
    const HeldFactsNeeds audio{false, true, {}};
    const HeldFactsNeeds keys{false, false, {"Exif.A.B", "Xmp.c.d"}};
    const HeldFactsNeeds oneKey{false, false, {"Xmp.c.d"}};
    EXPECT_TRUE(NeedsCover(none, none));
    EXPECT_TRUE(NeedsCover(photo, none));
    EXPECT_FALSE(NeedsCover(photo, audio));
    EXPECT_TRUE(NeedsCover(keys, oneKey));
    EXPECT_FALSE(NeedsCover(oneKey, keys));
    const HeldFactsNeeds all = NeedsUnion(NeedsUnion(photo, audio), NeedsUnion(oneKey, keys));
    EXPECT_EQ(all, (HeldFactsNeeds{true, true, {"Exif.A.B", "Xmp.c.d"}}));
}

}  // namespace
}  // namespace brindle
