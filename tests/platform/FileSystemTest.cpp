#include <gtest/gtest.h>

#include <errno.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TempFolder.h"
#include "platform/FileSystem.h"
#include "platform/FolderRename.h"
#include "platform/NameCodec.h"
#include "platform/OpenFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using testing::InChild;
using testing::TempFolder;

void MakeLink(const TempFolder& folder, const std::string& target, const std::string& link) {
    ASSERT_EQ(symlink(target.c_str(), (folder.path() / link).c_str()), 0) << link;
}

TEST(FileSystemTest, ExaminesWhatIsAtAPath) {
    TempFolder folder;
    folder.createFiles({"file.txt", "locked.txt", "othersOnly.txt", "sub/", "lockedSub/"});
    chmod((folder.path() / "locked.txt").c_str(), 0444);
    chmod((folder.path() / "othersOnly.txt").c_str(), 0466);
    chmod((folder.path() / "lockedSub").c_str(), 0555);
    MakeLink(folder, "sub", "linkToFolder");
    MakeLink(folder, "locked.txt", "linkToLocked");
    MakeLink(folder, "nowhere", "dangling");
    struct Row {
        const char* name;
        std::string relative;
        bool exists, isFolder;
        std::optional<bool> readOnly;
        int followedError;  // with links followed, as a path the user gave
        bool followedFolder;
    };
    const Row rows[] = {
        {"file/Plain", "file.txt", true, false, false, 0, false},
        {"file/OwnerWriteClear", "locked.txt", true, false, true, 0, false},
        {"file/OnlyOwnerBitCounts", "othersOnly.txt", true, false, true, 0, false},
        {"file/TrailingSlashIsNoFolder", "file.txt/", false, false, std::nullopt, ENOTDIR, false},
        {"folder/Plain", "sub", true, true, false, 0, true},
        {"folder/TrailingSlash", "sub/", true, true, false, 0, true},
        {"folder/OwnerWriteClear", "lockedSub", true, true, true, 0, true},
        {"link/ToFolderIsNoFolder", "linkToFolder", true, false, false, 0, true},
        {"link/AttributesAreTheLinks", "linkToLocked", true, false, false, 0, false},
        {"link/DanglingExists", "dangling", true, false, false, ENOENT, false},
        {"missing/Name", "none.txt", false, false, std::nullopt, ENOENT, false},
        {"missing/Folder", "none/file.txt", false, false, std::nullopt, ENOENT, false},
    };
    const OpenFolder opened = OpenFolder::AtPath(folder.folder());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::u16string path = folder.folder() + DecodeName(row.relative);
        EXPECT_EQ(PathExists(path), row.exists);
        EXPECT_EQ(IsFolderPath(path), row.isFolder);
        EntryStatus status;
        const int error = opened.Stat(DecodeName(row.relative), status);
        EXPECT_EQ(error == 0 ? std::optional(status.readOnly) : std::nullopt, row.readOnly);
        bool isFolder = !row.followedFolder;
        EXPECT_EQ(StatFollowingLinks(path, isFolder), row.followedError);
        EXPECT_EQ(isFolder, row.followedFolder);
    }
    EXPECT_FALSE(PathExists(u""));
}

TEST(FileSystemTest, UsableNamesAreSingleValidComponents) {
    struct Row {
        const char* name;
        std::u16string text;
        bool usable;
    };
    const Row rows[] = {
        {"ordinary/Plain", u"song.mp3", true},
        {"ordinary/ColonAndBackslash", u"12:30 AC\\DC.txt", true},
        {"ordinary/ThreeDots", u"...", true},
        {"ordinary/ByteEscape", u"caf\xDCE9", true},
        {"ordinary/Emoji", u"\U0001F600", true},
        {"special/Empty", u"", false},
        {"special/Dot", u".", false},
        {"special/DotDot", u"..", false},
        {"separator/Slash", u"../up", false},
        {"separator/TrailingSlash", u"a/", false},
        {"nul/Inside", std::u16string(u"a\0b", 3), false},
        {"surrogate/Lone", u"a\xD800", false},
        {"surrogate/SplitPair", u"\xDE00\xD83D", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsUsableName(row.text), row.usable);
    }
}

struct RenameRow {
    const char* name;
    std::string from, to;
    int error;
    std::vector<std::string> listing;  // afterwards
};

// The common scene: files with their own names as contents, a folder with a file, an
// empty folder, a link to a folder and two links of one file.
void SetUpRenameScene(const TempFolder& folder) {
    for (const char* name : {"a.txt", "b.txt", "d/inner.txt", "caf\xE9"}) {
        folder.createFile(name, name);
    }
    folder.createFiles({"empty/"});
    MakeLink(folder, "d", "linkToD");
    ASSERT_EQ(link((folder.path() / "a.txt").c_str(), (folder.path() / "hard.txt").c_str()), 0);
}

const std::vector<std::string> kScene = {"a.txt",       "b.txt",  "caf\xE9",  "d/",
                                         "d/inner.txt", "empty/", "hard.txt", "linkToD"};

std::vector<std::string> SceneWith(std::vector<std::string> removed,
                                   std::vector<std::string> added) {
    std::vector<std::string> names;
    for (const auto& name : kScene) {
        if (std::find(removed.begin(), removed.end(), name) == removed.end()) {
            names.push_back(name);
        }
    }
    names.insert(names.end(), added.begin(), added.end());
    std::sort(names.begin(), names.end());
    return names;
}

const RenameRow kNeverReplaceRows[] = {
    {"file/Rename", "a.txt", "c.txt", 0, SceneWith({"a.txt"}, {"c.txt"})},
    {"file/OntoFile", "a.txt", "b.txt", EEXIST, kScene},
    {"file/OntoFolder", "a.txt", "empty", EEXIST, kScene},
    {"file/OntoLink", "a.txt", "linkToD", EEXIST, kScene},
    {"file/IntoFolder", "b.txt", "d/b.txt", 0, SceneWith({"b.txt"}, {"d/b.txt"})},
    {"file/UndecodableToUtf8", "caf\xE9", "caf\xC3\xA9", 0,
     SceneWith({"caf\xE9"}, {"caf\xC3\xA9"})},
    {"file/LetterCaseOnly", "b.txt", "B.txt", 0, SceneWith({"b.txt"}, {"B.txt"})},
    {"file/HardLinkOfItself", "a.txt", "hard.txt", EEXIST, kScene},
    {"file/SameEntryThroughFolderLink", "d/inner.txt", "linkToD/inner.txt", 0, kScene},
    {"folder/Rename", "d", "e", 0, SceneWith({"d/", "d/inner.txt"}, {"e/", "e/inner.txt"})},
    {"folder/OntoEmptyFolder", "d", "empty", EEXIST, kScene},
    {"folder/OntoFile", "d", "a.txt", EEXIST, kScene},
    {"folder/IntoItself", "d", "d/sub", EINVAL, kScene},
    {"link/RenamedNotItsTarget", "linkToD", "link2", 0, SceneWith({"linkToD"}, {"link2"})},
    {"missing/Source", "none.txt", "c.txt", ENOENT, kScene},
    {"missing/TargetFolder", "a.txt", "none/a.txt", ENOENT, kScene},
};

void CheckRename(const RenameRow& row, const std::function<int(const TempFolder&)>& rename) {
    SCOPED_TRACE(row.name);
    TempFolder folder;
    SetUpRenameScene(folder);
    EXPECT_EQ(rename(folder), row.error);
    EXPECT_EQ(folder.listing(), row.listing);
    // Nothing that stayed lost its contents.
    for (const char* name : {"a.txt", "b.txt", "d/inner.txt"}) {
        if (folder.exists(name)) {
            EXPECT_EQ(folder.readFile(name), name);
        }
    }
}

// The folder of a path below `folder`, opened, and the path's last component.
std::pair<OpenFolder, std::string> FolderAndName(const TempFolder& folder,
                                                 const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string inside = slash == std::string::npos ? "" : path.substr(0, slash);
    return {OpenFolder::AtPath(DecodeName((folder.path() / inside).string())),
            path.substr(slash == std::string::npos ? 0 : slash + 1)};
}

TEST(FileSystemTest, RenameNeverReplaces) {
    for (const auto& row : kNeverReplaceRows) {
        CheckRename(row, [&](const TempFolder& folder) {
            const auto [fromFolder, fromName] = FolderAndName(folder, row.from);
            const auto [toFolder, toName] = FolderAndName(folder, row.to);
            return RenameNoReplace(fromFolder, DecodeName(fromName), toFolder, DecodeName(toName));
        });
    }
}

// The way taken where a filesystem refuses RENAME_NOREPLACE, run here on one that does
// not, must keep the same promises.
TEST(FileSystemTest, RenameWithoutTheFlagNeverReplacesEither) {
    for (const auto& row : kNeverReplaceRows) {
        if (std::string_view(row.name).starts_with("file/SameEntry"))
            continue;
        CheckRename(row, [&](const TempFolder& folder) {
            const auto [fromFolder, fromName] = FolderAndName(folder, row.from);
            const auto [toFolder, toName] = FolderAndName(folder, row.to);
            if (!toFolder.isOpen())
                return toFolder.error();
            return detail::RenameWithoutNoReplaceFlag(fromFolder, fromName.c_str(), toFolder,
                                                      toName.c_str());
        });
    }
}

TEST(FileSystemTest, RenameRefusesPathsWithNul) {
    TempFolder folder;
    folder.createFiles({"a"});
    const OpenFolder opened = OpenFolder::AtPath(folder.folder());
    EXPECT_EQ(RenameNoReplace(opened, u"a", opened, std::u16string(u"b\0c", 3)), EINVAL);
    EXPECT_EQ(RenameNoReplace(opened, u"a", opened, u"sub/b"), EINVAL);
    EXPECT_EQ(folder.listing(), std::vector<std::string>{"a"});
}

TEST(FileSystemTest, ListsEntriesWithoutFollowingLinks) {
    TempFolder folder;
    folder.createFiles({"top/file.txt", "top/sub/deep.txt", "top/caf\xE9"});
    MakeLink(folder, "sub", "top/linkToSub");
    MakeLink(folder, "file.txt", "top/linkToFile");
    MakeLink(folder, "..", "top/cycle");
    MakeLink(folder, "nowhere", "top/dangling");
    const std::vector<std::pair<std::u16string, bool>> expected = {
        {u"caf\xDCE9", false},  {u"cycle", false},     {u"dangling", false}, {u"file.txt", false},
        {u"linkToFile", false}, {u"linkToSub", false}, {u"sub", true},
    };
    for (const std::u16string& path : {folder.folder() + u"top", folder.folder() + u"top/"}) {
        std::vector<std::pair<std::u16string, bool>> listed;
        for (const auto& entry : OpenFolder::AtPath(path).List())
            listed.emplace_back(entry.name, entry.isFolder);
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, expected);
    }
}

// What cannot be listed gives no entries and says why; an empty folder is no failure.
TEST(FileSystemTest, WhatIsNoReadableFolderHasNoEntriesAndItsError) {
    TempFolder folder;
    folder.createFiles({"file.txt", "empty/"});
    MakeLink(folder, "nowhere", "dangling");
    const std::pair<const char*, int> cases[] = {
        {"file.txt", ENOTDIR}, {"empty", 0}, {"missing", ENOENT}, {"dangling", ENOENT}};
    for (const auto& [relative, expected] : cases) {
        SCOPED_TRACE(relative);
        int error = -1;
        EXPECT_TRUE(
            OpenFolder::AtPath(folder.folder() + DecodeName(relative)).List(&error).empty());
        EXPECT_EQ(error, expected);
    }
    int error = 0;
    EXPECT_TRUE(OpenFolder::AtPath(u"").List(&error).empty());
    EXPECT_NE(error, 0);
}

TEST(FileSystemTest, FolderWithoutReadPermissionHasNoEntries) {
    TempFolder folder;
    folder.createFiles({"open/a.txt", "closed/a.txt"});
    // An unprivileged user, since permissions do not bind root; the child becomes one.
    chmod(folder.path().c_str(), 0755);
    chmod((folder.path() / "open").c_str(), 0755);
    chmod((folder.path() / "closed").c_str(), 0);
    const std::u16string open = folder.folder() + u"open", closed = folder.folder() + u"closed";
    const int status = InChild([&] {
        if (geteuid() == 0 && setresuid(65534, 65534, 65534) != 0)
            return 10;
        int error = -1;
        if (OpenFolder::AtPath(open).List(&error).size() != 1 || error != 0)
            return 11;
        return OpenFolder::AtPath(closed).List(&error).empty() && error == EACCES ? 0 : 12;
    });
    EXPECT_EQ(status, 0);
}

TEST(FileSystemTest, FileErrorTexts) {
    struct Row {
        const char* name;
        std::vector<int> errors;
        std::u16string text;
    };
    const Row rows[] = {
        {"missing/NoEntry", {ENOENT}, u"Brindle.log was not found."},
        {"path/Invalid",
         {ENOTDIR, ENAMETOOLONG, EINVAL, ELOOP},
         u"Brindle.log contains an invalid path."},
        {"access/Denied", {EACCES, EPERM, EROFS}, u"Access to Brindle.log was denied."},
        {"sharing/Busy",
         {EBUSY, ETXTBSY},
         u"A sharing violation occurred while accessing Brindle.log."},
        {"locking/HeldElsewhere",
         {EWOULDBLOCK},
         u"A locking violation occurred while accessing Brindle.log."},
        {"hardware/Io", {EIO}, u"A hardware I/O error was reported while accessing Brindle.log."},
        {"full/Disk", {ENOSPC, EDQUOT, EFBIG}, u"Disk full while accessing Brindle.log."},
        {"other/Unknown",
         {EEXIST, EISDIR, 0},
         u"An unknown error occurred while accessing Brindle.log."},
    };
    for (const auto& row : rows) {
        for (int error : row.errors) {
            SCOPED_TRACE(std::string(row.name) + " errno " + std::to_string(error));
            EXPECT_EQ(FileErrorText(error, u"Brindle.log"), row.text);
            EXPECT_EQ(IsDiskFullError(error), std::string_view(row.name) == "full/Disk");
        }
    }
    // The name goes in as it is, even when it looks like a placeholder itself.
    EXPECT_EQ(FileErrorText(ENOENT, u"%1.log"), u"%1.log was not found.");
}

TEST(FileSystemTest, ProgramFolderHoldsTheProgram) {
    const std::u16string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), u'/');
    EXPECT_EQ(folder.back(), u'/');
    EXPECT_FALSE(IsFolderPath(folder + DecodeName(program_invocation_short_name)));
    EXPECT_TRUE(PathExists(folder + DecodeName(program_invocation_short_name)));
}

TEST(FileSystemTest, CurrentFolderFollowsSetCurrentFolder) {
    TempFolder folder;
    folder.createFiles({"caf\xE9/"});
    const std::u16string target = folder.folder() + u"caf\xDCE9";
    const int status = InChild([&] {
        if (!SetCurrentFolder(target + u"/"))
            return 10;
        if (CurrentFolder() != target)
            return 11;
        if (!SetCurrentFolder(u"/"))
            return 12;
        if (CurrentFolder() != u"/")
            return 13;
        return SetCurrentFolder(target + u"/missing") ? 14 : 0;
    });
    EXPECT_EQ(status, 0);
}

// The bytes are the system's own, and a current folder removed meanwhile has no path.
TEST(FileSystemTest, CurrentFolderBytesAndARemovedFolder) {
    TempFolder folder;
    folder.createFiles({"caf\xE9/", "gone/"});
    const std::u16string target = folder.folder() + u"caf\xDCE9";
    const std::string gone = (folder.path() / "gone").string();
    const int status = InChild([&] {
        if (!SetCurrentFolder(target))
            return 10;
        if (CurrentFolderBytes() != folder.path().string() + "/caf\xE9")
            return 11;
        if (!SetCurrentFolder(DecodeName(gone)) || rmdir(gone.c_str()) != 0)
            return 12;
        errno = 0;
        if (CurrentFolderBytes() || errno != ENOENT)
            return 13;
        return CurrentFolder().empty() ? 0 : 14;
    });
    EXPECT_EQ(status, 0);
}

TEST(FileReadTest, TailIsTheLastBytesOrNothing) {
    struct Row {
        const char* name;
        std::size_t size;
        bool hasTail;
    };
    const Row rows[] = {
        {"short/Empty", 0, false},
        {"short/OneByteTooFew", 127, false},
        {"exact/Size", 128, true},
        {"long/File", 1000, true},
    };
    TempFolder folder;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string contents;
        for (std::size_t i = 0; i < row.size; ++i)
            contents.push_back(static_cast<char>(i % 251));
        folder.createFile("song.mp3", contents);
        std::string tail = "stale";
        ASSERT_TRUE(ReadFileTail(folder.folder() + u"song.mp3", 128, tail));
        EXPECT_EQ(tail, row.hasTail ? contents.substr(row.size - 128) : std::string());
        EXPECT_EQ(ReadFileBytes(folder.folder() + u"song.mp3"), contents);
    }
}

TEST(FileReadTest, WhatCannotBeOpenedIsReported) {
    TempFolder folder;
    ASSERT_EQ(mkfifo((folder.path() / "pipe.mp3").c_str(), 0600), 0);
    std::string tail = "stale";
    EXPECT_FALSE(ReadFileTail(folder.folder() + u"missing.mp3", 128, tail));
    EXPECT_TRUE(tail.empty());
    EXPECT_EQ(ReadFileBytes(folder.folder() + u"missing.mp3"), std::nullopt);
    // A pipe opens but has no tail, and is never waited on.
    EXPECT_TRUE(ReadFileTail(folder.folder() + u"pipe.mp3", 128, tail));
    EXPECT_TRUE(tail.empty());
    EXPECT_EQ(ReadFileBytes(folder.folder() + u"pipe.mp3"), std::nullopt);
}

}  // namespace
}  // namespace brindle
