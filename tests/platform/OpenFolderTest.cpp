#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "platform/FolderRename.h"
#include "platform/NameCodec.h"
#include "platform/OpenFolder.h"

namespace brindle {
namespace {

using testing::TempFolder;

FileIdentity IdentityOf(const std::filesystem::path& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// A folder reached by path follows the user's links; a subfolder reached from its
// parent never does, so a link put in a folder's place leads nowhere.
TEST(OpenFolderTest, ChildrenAreNeverReachedThroughLinks) {
    TempFolder temp;
    temp.createFiles({"real/inner.txt", "other/"});
    std::filesystem::create_directory_symlink(temp.path() / "real", temp.path() / "viaLink");
    std::filesystem::create_directory_symlink(temp.path() / "other", temp.path() / "real/sub");

    const OpenFolder top = OpenFolder::AtPath(DecodeName((temp.path() / "viaLink").string()));
    ASSERT_TRUE(top.isOpen());
    EXPECT_EQ(top.identity(), IdentityOf(temp.path() / "real"));

    struct Row {
        const char* name;
        bool opens;
    };
    for (const Row row : {Row{"sub", false}, Row{"inner.txt", false}, Row{"missing", false},
                          Row{"..", true}, Row{"a/b", false}, Row{"", false}}) {
        SCOPED_TRACE(row.name);
        const OpenFolder child = OpenFolder::Child(top, DecodeName(row.name));
        EXPECT_EQ(child.isOpen(), row.opens);
        if (!row.opens) {
            EXPECT_NE(child.error(), 0);
        }
    }
    const OpenFolder unopened;
    EXPECT_FALSE(OpenFolder::Child(unopened, u"real").isOpen());
}

// Only what the call names goes: a file, a link (never what it leads to), an empty
// folder when a folder is meant; the folder's listing forgets it.
TEST(OpenFolderTest, RemovesOneEntryOfItsKind) {
    TempFolder temp;
    temp.createFiles({"w/a.txt", "w/target.txt", "w/empty/", "w/full/inside", "w/second/"});
    std::filesystem::create_symlink("target.txt", temp.path() / "w/link");
    const OpenFolder folder = OpenFolder::AtPath(temp.folder("w"));
    ASSERT_TRUE(folder.ListsExactly("a.txt"));
    struct Row {
        const char* name;
        bool folder;
        int error;
    };
    const Row rows[] = {
        {"a.txt", false, 0},
        {"a.txt", false, ENOENT},
        {"link", false, 0},
        {"empty", true, 0},
        {"full", true, ENOTEMPTY},
        {"second", false, EISDIR},
        {"target.txt", true, ENOTDIR},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + (row.folder ? " as a folder" : ""));
        EXPECT_EQ(folder.RemoveEntry(row.name, row.folder), row.error);
    }
    EXPECT_FALSE(folder.ListsExactly("a.txt"));
    EXPECT_EQ(temp.listing(), (std::vector<std::string>{"w/", "w/full/", "w/full/inside",
                                                        "w/second/", "w/target.txt"}));
    EXPECT_EQ(OpenFolder().RemoveEntry("a.txt", false), ENOENT);
}

// Renames go between the folders opened, wherever those folders are later moved.
TEST(OpenFolderTest, RenamesFollowTheFolderNotItsPath) {
    TempFolder temp;
    temp.createFiles({"w/a.txt", "elsewhere/a.txt"});
    const OpenFolder folder = OpenFolder::AtPath(temp.folder("w"));
    std::filesystem::rename(temp.path() / "w", temp.path() / "moved");
    std::filesystem::create_directory_symlink(temp.path() / "elsewhere", temp.path() / "w");
    EXPECT_EQ(RenameNoReplace(folder, u"a.txt", folder, u"b.txt"), 0);
    EXPECT_TRUE(temp.exists("moved/b.txt"));
    EXPECT_TRUE(temp.exists("elsewhere/a.txt"));
}

TEST(OpenFolderTest, ListingKeptUpToDateByItsOwnRenames) {
    TempFolder temp;
    temp.createFiles({"w/A.TXT", "w/b"});
    const OpenFolder folder = OpenFolder::AtPath(temp.folder("w"));
    EXPECT_TRUE(folder.ListsExactly("A.TXT"));
    EXPECT_FALSE(folder.ListsExactly("a.txt"));
    ASSERT_EQ(RenameNoReplace(folder, u"A.TXT", folder, u"a.txt"), 0);
    EXPECT_TRUE(folder.ListsExactly("a.txt"));
    EXPECT_FALSE(folder.ListsExactly("A.TXT"));
    EXPECT_TRUE(folder.ListsExactly("b"));
}

// The log's own file and every folder that really holds it, whatever link the path to
// it goes through.
TEST(OpenFolderTest, FileAndFoldersAboveFollowTheRealPlace) {
    TempFolder temp;
    temp.createFiles({"deep/er/log.txt", "links/"});
    std::filesystem::create_symlink(temp.path() / "deep/er/log.txt", temp.path() / "links/log");
    const std::vector<FileIdentity> found =
        FileAndFoldersAbove(DecodeName((temp.path() / "links/log").string()));
    ASSERT_GE(found.size(), 4u);
    EXPECT_EQ(found[0], IdentityOf(temp.path() / "deep/er/log.txt"));
    EXPECT_EQ(found[1], IdentityOf(temp.path() / "deep/er"));
    EXPECT_EQ(found[2], IdentityOf(temp.path() / "deep"));
    EXPECT_EQ(found[3], IdentityOf(temp.path()));
    EXPECT_EQ(found.back(), IdentityOf("/"));
    for (const FileIdentity& identity : found)
        EXPECT_NE(identity, IdentityOf(temp.path() / "links"));
    EXPECT_TRUE(FileAndFoldersAbove(temp.folder() + u"missing").empty());
}

TEST(OpenFolderTest, InodeNumbersTrustedOnlyWhereKnownStable) {
    struct Row {
        std::int64_t type;
        bool stable;
    };
    for (const Row row : {Row{0xEF53, true}, Row{0x01021994, true}, Row{0x9123683E, true},
                          Row{0x58465342, true}, Row{0x4D44, false}, Row{0x2011BAB0, false},
                          Row{0x65735546, false}, Row{static_cast<std::int64_t>(0xFF534D42), false},
                          Row{0x794C7630, false}, Row{0, false}}) {
        SCOPED_TRACE(row.type);
        EXPECT_EQ(InodesStableOnFilesystem(row.type), row.stable);
    }
}

}  // namespace
}  // namespace brindle
