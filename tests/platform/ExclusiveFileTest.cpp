#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "FileLock.h"
#include "TempFolder.h"
#include "platform/ExclusiveFile.h"
#include "platform/NameCodec.h"
#include "platform/TextFile.h"

namespace brindle {
namespace {

using testing::CanLock;
using testing::TempFolder;

TEST(ExclusiveFileTest, AppendsWithoutEverTruncating) {
    TempFolder folder;
    const std::u16string path = folder.folder() + u"Brindle.log";
    {
        ExclusiveFile file;
        ASSERT_EQ(file.OpenForAppend(path), 0);
        EXPECT_EQ(file.Size(), 0);
        EXPECT_EQ(file.Write("Version=3.7\r\n"), 0);
        EXPECT_EQ(file.Size(), 13);
    }  // the destructor closes
    ExclusiveFile file;
    ASSERT_EQ(file.OpenForAppend(path), 0);
    EXPECT_EQ(file.Size(), 13);
    EXPECT_EQ(file.Write(EncodeName(u"Old File=caf\xDCE9\r\n")), 0);
    EXPECT_EQ(file.Write(""), 0);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(folder.readFile("Brindle.log"), "Version=3.7\r\nOld File=caf\xE9\r\n");
}

TEST(ExclusiveFileTest, OneHolderAtATime) {
    TempFolder folder;
    folder.createFile("Brindle.log", "x");
    const std::string bytes = (folder.path() / "Brindle.log").string();
    const std::u16string path = DecodeName(bytes);

    ExclusiveFile first;
    ASSERT_EQ(first.OpenForAppend(path), 0);
    EXPECT_FALSE(CanLock(bytes));
    ExclusiveFile second;
    EXPECT_EQ(second.OpenForAppend(path), EWOULDBLOCK);
    EXPECT_FALSE(second.IsOpen());
    TextFileReader reader;
    EXPECT_FALSE(reader.Open(path));
    EXPECT_EQ(reader.lastError(), EWOULDBLOCK);

    EXPECT_EQ(first.Close(), 0);
    EXPECT_TRUE(CanLock(bytes));
    EXPECT_EQ(second.OpenForAppend(path), 0);
}

// A lock another holder keeps is waited for as long as asked, and taken as soon as it is
// given up; the wait is said once, and a cancel ends it.
TEST(ExclusiveFileTest, WaitsForAHeldLockAsAsked) {
    struct Case {
        const char* name;
        std::chrono::milliseconds limit;
        bool releaseWhileWaiting;  // the holder gives the lock up once the wait has begun
        bool cancel;
        int result;
        int waits;  // how often the wait was said
    };
    const Case cases[] = {
        {"no wait", std::chrono::milliseconds(0), true, false, EWOULDBLOCK, 0},
        {"held all along", std::chrono::milliseconds(60), false, false, EWOULDBLOCK, 1},
        {"given up meanwhile", std::chrono::seconds(100), true, false, 0, 1},
        {"cancelled", std::chrono::seconds(100), false, true, EWOULDBLOCK, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        folder.createFile("Brindle.log", "x");
        const std::u16string path = folder.folder() + u"Brindle.log";
        ExclusiveFile holder;
        ASSERT_EQ(holder.OpenForAppend(path), 0);
        int waits = 0;
        LockWait wait;
        wait.limit = c.limit;
        wait.waiting = [&] {
            ++waits;
            if (c.releaseWhileWaiting)
                holder.Close();
        };
        wait.cancelled = [&] { return c.cancel; };
        ExclusiveFile waiter;
        EXPECT_EQ(waiter.OpenForAppend(path, wait), c.result);
        EXPECT_EQ(waiter.IsOpen(), c.result == 0);
        EXPECT_EQ(waits, c.waits);
        if (c.result == 0) {
            EXPECT_EQ(waiter.Write("y"), 0);
            EXPECT_EQ(folder.readFile("Brindle.log"), "xy");
        }
    }
}

TEST(ExclusiveFileTest, LinkCountShowsARemovedFile) {
    TempFolder folder;
    ExclusiveFile file;
    std::int64_t size = -1;
    std::int64_t links = -1;
    EXPECT_EQ(file.Size(), -1);
    EXPECT_FALSE(file.SizeAndLinkCount(size, links));
    ASSERT_EQ(file.OpenForAppend(folder.folder() + u"Brindle.log"), 0);
    ASSERT_EQ(file.Write("abc"), 0);
    ASSERT_TRUE(file.SizeAndLinkCount(size, links));
    EXPECT_EQ(size, 3);
    EXPECT_EQ(links, 1);
    ASSERT_EQ(unlink((folder.path() / "Brindle.log").c_str()), 0);
    ASSERT_TRUE(file.SizeAndLinkCount(size, links));
    EXPECT_EQ(links, 0);
}

TEST(ExclusiveFileTest, OpenFailsForWhatIsNoFile) {
    TempFolder folder;
    folder.createFiles({"sub/"});
    ASSERT_EQ(mkfifo((folder.path() / "pipe").c_str(), 0600), 0);
    struct Row {
        const char* name;
        std::u16string path;
        int error;
    };
    const Row rows[] = {
        {"folder/IsNoFile", folder.folder() + u"sub", EISDIR},
        {"missing/Folder", folder.folder() + u"none/Brindle.log", ENOENT},
        // Refused as no regular file, and never waited on.
        {"pipe/WithoutReaderDoesNotBlock", folder.folder() + u"pipe", EPERM},
        {"empty/Path", u"", ENOENT},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ExclusiveFile file;
        EXPECT_EQ(file.OpenForAppend(row.path), row.error);
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(file.Write("x"), EBADF);
        EXPECT_EQ(file.Close(), 0);
    }
}

// A file-size limit shows as EFBIG from Write, not as a killed process. The limit is set
// in a child process so that this one keeps its own.
TEST(ExclusiveFileTest, FileSizeLimitIsAWriteError) {
    TempFolder folder;
    const std::u16string path = folder.folder() + u"Brindle.log";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{10, 10};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(10);
        ExclusiveFile file;
        if (file.OpenForAppend(path) != 0)
            _exit(11);
        const int error = file.Write("0123456789abcdef");
        _exit(error == EFBIG ? 0 : 12);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(folder.readFile("Brindle.log"), "0123456789");
}

}  // namespace
}  // namespace brindle
