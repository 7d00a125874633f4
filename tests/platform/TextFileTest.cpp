#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "FileLock.h"
#include "TempFolder.h"
#include "platform/FileSystem.h"
#include "platform/NameCodec.h"
#include "platform/TextFile.h"

namespace brindle {
namespace {

using testing::CanLock;
using testing::TempFolder;

struct Line {
    std::string text;
    bool hadLineEnd;
    bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& line) {
    return out << '"' << line.text << '"' << (line.hadLineEnd ? " LF" : " (no end)");
}

std::vector<Line> ReadAll(TextFileReader& reader) {
    std::vector<Line> lines;
    std::string text;
    bool hadLineEnd = false;
    while (reader.ReadLineBytes(text, &hadLineEnd))
        lines.push_back({text, hadLineEnd});
    return lines;
}

// Holds an flock of its own, as another program would.
class OtherHolder {
public:
    explicit OtherHolder(const std::string& path) : fd_(open(path.c_str(), O_RDONLY)) {
        held_ = fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) == 0;
    }
    ~OtherHolder() {
        if (fd_ >= 0)
            close(fd_);
    }
    bool held() const { return held_; }

private:
    int fd_;
    bool held_ = false;
};

TEST(TextFileTest, SplitsLinesAtLineFeeds) {
    struct Row {
        const char* name;
        std::string contents;
        bool ctrlZEndsFile;
        std::vector<Line> lines;
    };
    const Row rows[] = {
        {"empty/NoLines", "", true, {}},
        {"end/LastLineNeedsNoEnd", "a\nb", true, {{"a", true}, {"b", false}}},
        {"end/FinalLineFeedMakesNoExtraLine", "a\n", true, {{"a", true}}},
        {"crlf/CarriageReturnDropped", "a\r\nb\r\n", true, {{"a", true}, {"b", true}}},
        {"crlf/OnlyTheOneBeforeLineFeed", "a\r\r\n", true, {{"a\r", true}}},
        {"cr/AloneIsACharacter", "a\rb\n", true, {{"a\rb", true}}},
        {"cr/AtEndWithoutLineFeedKept", "a\r", true, {{"a\r", false}}},
        {"empty/BlankLines", "\n\r\n\n", true, {{"", true}, {"", true}, {"", true}}},
        {"bytes/NulKept", std::string("a\0b\n", 4), true, {{std::string("a\0b", 3), true}}},
        {"ctrlZ/EndsFile",
         "a\nb\x1A"
         "c\nd\n",
         true,
         {{"a", true}, {"b", false}}},
        {"ctrlZ/AtStartEmptiesFile",
         "\x1A"
         "a\n",
         true,
         {}},
        {"ctrlZ/OrdinaryWhenOff",
         "a\nb\x1A"
         "c\n",
         false,
         {{"a", true},
          {"b\x1A"
           "c",
           true}}},
    };
    TempFolder folder;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        folder.createFile("t.txt", row.contents);
        TextFileReader reader;
        ASSERT_TRUE(reader.Open(folder.folder() + u"t.txt", {true, row.ctrlZEndsFile}));
        EXPECT_EQ(ReadAll(reader), row.lines);
        EXPECT_TRUE(reader.Remaining().empty());
    }
}

TEST(TextFileTest, ReadLineDecodesEachLineOnItsOwn) {
    TempFolder folder;
    folder.createFile("t.txt", "caf\xC3\xA9\ncaf\xE9");
    TextFileReader reader;
    ASSERT_TRUE(reader.Open(folder.folder() + u"t.txt"));
    std::u16string first, second, third;
    EXPECT_TRUE(reader.ReadLine(first));
    EXPECT_EQ(reader.Remaining(), "caf\xE9");
    EXPECT_TRUE(reader.ReadLine(second));
    EXPECT_FALSE(reader.ReadLine(third));
    EXPECT_EQ(first, u"café");
    EXPECT_EQ(second, u"café");
}

TEST(TextFileTest, ExclusiveOpenFailsWhileAnotherHolderHasTheLock) {
    TempFolder folder;
    folder.createFile("Brindle.log", "Version=3.7\r\n");
    const std::string path = (folder.path() / "Brindle.log").string();
    const std::u16string path16 = DecodeName(path);
    {
        OtherHolder other(path);
        ASSERT_TRUE(other.held());
        TextFileReader reader;
        EXPECT_FALSE(reader.Open(path16));
        EXPECT_EQ(reader.lastError(), EWOULDBLOCK);
        EXPECT_FALSE(reader.IsOpen());
        EXPECT_TRUE(reader.Open(path16, {false, true})) << "a shared read ignores the lock";
    }
    TextFileReader reader;
    ASSERT_TRUE(reader.Open(path16));
    EXPECT_FALSE(CanLock(path)) << "the lock lasts while the reader is open";
    reader.Close();
    EXPECT_TRUE(CanLock(path));
}

TEST(TextFileTest, OpenFailsForWhatIsNoReadableFile) {
    TempFolder folder;
    folder.createFiles({"sub/"});
    ASSERT_EQ(mkfifo((folder.path() / "pipe").c_str(), 0600), 0);
    struct Row {
        const char* name;
        std::u16string path;
        int error;
    };
    const Row rows[] = {
        {"missing/File", folder.folder() + u"Brindle.ini", ENOENT},
        {"missing/Folder", folder.folder() + u"none/Brindle.ini", ENOENT},
        {"folder/IsNoFile", folder.folder() + u"sub", EISDIR},
        {"pipe/DoesNotBlock", folder.folder() + u"pipe", EINVAL},
        {"empty/Path", u"", ENOENT},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TextFileReader reader;
        EXPECT_FALSE(reader.Open(row.path));
        EXPECT_EQ(reader.lastError(), row.error);
        std::string line;
        EXPECT_FALSE(reader.ReadLineBytes(line));
    }
}

}  // namespace
}  // namespace brindle
