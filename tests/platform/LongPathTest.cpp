#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FileTree.h"
#include "TempFolder.h"
#include "platform/ExclusiveFile.h"
#include "platform/FileSystem.h"
#include "platform/FolderRename.h"
#include "platform/NameCodec.h"
#include "platform/OpenFolder.h"
#include "platform/TextFile.h"

namespace brindle {
namespace {

using testing::RemoveBelow;
using testing::TempFolder;

constexpr int kLevels = 45;  // about 9200 bytes: more than two PATH_MAX pieces

std::string LevelName(int level) {
    return std::string(200, static_cast<char>('a' + level % 26)) + std::to_string(level);
}

// A tree deeper than the system takes in one path. Level 10 is also reachable through
// the link "hop" beside it, so that a long path may pass through a link.
class DeepTree : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = open(temp_.path().c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(root_, 0);
        std::string path = temp_.path().string();
        int fd = dup(root_);
        for (int level = 0; level < kLevels; ++level) {
            const std::string name = LevelName(level);
            if (level == 10) {
                ASSERT_EQ(symlinkat(name.c_str(), fd, "hop"), 0);
            }
            ASSERT_EQ(mkdirat(fd, name.c_str(), 0755), 0) << level;
            const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
            ASSERT_GE(next, 0);
            close(fd);
            fd = next;
            path += "/" + name;
            if (level == 20)
                middle_ = path;
        }
        deepFd_ = fd;
        deep_ = path;
        ASSERT_GT(deep_.size(), 2u * PATH_MAX);
    }

    void TearDown() override {
        if (deepFd_ >= 0)
            close(deepFd_);
        if (root_ >= 0) {
            RemoveBelow(root_);
            close(root_);
        }
    }

    void CreateDeepFile(const std::string& name, const std::string& contents) {
        const int fd = openat(deepFd_, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, contents.data(), contents.size()),
                  static_cast<ssize_t>(contents.size()));
        close(fd);
    }
    bool DeepEntryExists(const std::string& name) const {
        struct stat info {};
        return fstatat(deepFd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    }
    std::u16string Deep(const std::string& name = {}) const {
        return DecodeName(name.empty() ? deep_ : deep_ + "/" + name);
    }

    TempFolder temp_;
    int root_ = -1;
    int deepFd_ = -1;
    std::string deep_, middle_;
};

TEST_F(DeepTree, ExaminesAndListsDeepPaths) {
    CreateDeepFile("song.mp3", "x");
    ASSERT_EQ(mkdirat(deepFd_, "sub", 0755), 0);
    ASSERT_EQ(symlinkat("sub", deepFd_, "link"), 0);

    EXPECT_TRUE(PathExists(Deep("song.mp3")));
    EXPECT_FALSE(PathExists(Deep("missing")));
    EXPECT_TRUE(IsFolderPath(Deep()));
    EXPECT_TRUE(IsFolderPath(Deep() + u"/"));
    EXPECT_FALSE(IsFolderPath(Deep("link")));
    bool isFolder = false;
    EXPECT_EQ(StatFollowingLinks(Deep("link"), isFolder), 0);
    EXPECT_TRUE(isFolder);
    const OpenFolder deep = OpenFolder::AtPath(Deep());
    EntryStatus status;
    ASSERT_EQ(deep.Stat(u"song.mp3", status), 0);
    EXPECT_FALSE(status.readOnly);
    ASSERT_EQ(fchmodat(deepFd_, "song.mp3", 0444, 0), 0);
    ASSERT_EQ(deep.Stat(u"song.mp3", status), 0);
    EXPECT_TRUE(status.readOnly);
    EXPECT_EQ(deep.Stat(u"missing", status), ENOENT);

    for (const std::u16string& folder : {Deep(), Deep() + u"/"}) {
        std::vector<std::pair<std::u16string, bool>> listed;
        for (const auto& entry : OpenFolder::AtPath(folder).List())
            listed.emplace_back(entry.name, entry.isFolder);
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, (std::vector<std::pair<std::u16string, bool>>{
                              {u"link", false}, {u"song.mp3", false}, {u"sub", true}}));
    }
}

TEST_F(DeepTree, LinksAndDotDotInsideALongPathResolveAsInAShortOne) {
    CreateDeepFile("song.mp3", "x");
    const std::string marker = "/" + LevelName(10) + "/";
    std::string viaLink = deep_;
    viaLink.replace(viaLink.find(marker), marker.size(), "/hop/");
    EXPECT_TRUE(PathExists(DecodeName(viaLink + "/song.mp3")));

    // Down to level 21, back up, and down again: still the same file.
    const std::string level21 = "/" + LevelName(21);
    std::string viaDotDot = deep_;
    viaDotDot.insert(middle_.size(), level21 + "/..");
    ASSERT_GT(viaDotDot.size(), deep_.size());
    EXPECT_TRUE(PathExists(DecodeName(viaDotDot + "/song.mp3")));

    std::string viaFile = deep_;
    viaFile.insert(middle_.size(), "/../" + LevelName(20) + "/none");
    EXPECT_FALSE(PathExists(DecodeName(viaFile + "/song.mp3")));
    EXPECT_EQ(OpenFolder::AtPath(DecodeName(viaFile)).error(), ENOENT);
}

TEST_F(DeepTree, RenamesAndMovesDeepItemsWithoutReplacing) {
    CreateDeepFile("a.txt", "A");
    CreateDeepFile("b.txt", "B");
    const OpenFolder deep = OpenFolder::AtPath(Deep());
    EXPECT_EQ(RenameNoReplace(deep, u"a.txt", deep, u"b.txt"), EEXIST);
    EXPECT_EQ(RenameNoReplace(deep, u"a.txt", deep, u"c.txt"), 0);
    EXPECT_FALSE(DeepEntryExists("a.txt"));
    EXPECT_TRUE(DeepEntryExists("c.txt"));

    // Out to a folder of a short path and back again.
    const OpenFolder top = OpenFolder::AtPath(temp_.folder());
    EXPECT_EQ(RenameNoReplace(deep, u"c.txt", top, u"c.txt"), 0);
    EXPECT_EQ(temp_.readFile("c.txt"), "A");
    EXPECT_EQ(RenameNoReplace(top, u"c.txt", deep, u"b.txt"), EEXIST);
    EXPECT_EQ(RenameNoReplace(top, u"c.txt", deep, u"a.txt"), 0);
    EXPECT_TRUE(DeepEntryExists("a.txt"));

    EXPECT_EQ(RenameNoReplace(deep, u"b.txt", deep, u"B.txt"), 0) << "letter case only";
    EXPECT_EQ(RenameNoReplace(deep, u"a.txt", deep, DecodeName(std::string(256, 'n'))),
              ENAMETOOLONG);
    EXPECT_TRUE(DeepEntryExists("a.txt"));
}

TEST_F(DeepTree, ReadsAndWritesDeepFiles) {
    const std::u16string log = Deep("Brindle.log");
    {
        ExclusiveFile file;
        ASSERT_EQ(file.OpenForAppend(log), 0);
        EXPECT_EQ(file.Write("Version=3.7\r\nOld File=x\r\n"), 0);
    }
    EXPECT_EQ(ReadFileBytes(log), "Version=3.7\r\nOld File=x\r\n");
    std::string tail;
    ASSERT_TRUE(ReadFileTail(log, 3, tail));
    EXPECT_EQ(tail, "x\r\n");

    TextFileReader reader;
    ASSERT_TRUE(reader.Open(log));
    std::u16string line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, u"Version=3.7");
    ExclusiveFile other;
    EXPECT_EQ(other.OpenForAppend(log), EWOULDBLOCK);
}

TEST_F(DeepTree, CurrentFolderMayBeDeepAndRelativePathsLong) {
    const std::string relative = deep_.substr(temp_.path().string().size() + 1);
    ASSERT_GT(relative.size(), static_cast<std::size_t>(PATH_MAX));
    CreateDeepFile("song.mp3", "x");
    const std::u16string top = DecodeName(temp_.path().string());
    const std::u16string deep = Deep();
    // The current folder belongs to the whole process: change it in a child only.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!SetCurrentFolder(top))
            _exit(10);
        if (!PathExists(DecodeName(relative + "/song.mp3")))
            _exit(11);
        if (!SetCurrentFolder(deep))
            _exit(12);
        if (CurrentFolder() != deep)
            _exit(13);
        _exit(PathExists(u"song.mp3") ? 0 : 14);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace brindle
