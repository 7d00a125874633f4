// Which files and folders could only their user have written: real folders of the test's
// own, handed to another owner where the test runs as root.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "OrdinaryUser.h"
#include "TempFolder.h"
#include "platform/NameCodec.h"
#include "platform/TrustCheck.h"

namespace brindle::testing {
namespace {

namespace fs = std::filesystem;

struct FolderCase {
    const char* name;
    const char* folder;  // checked, relative to the temporary folder
    TrustFault fault;
    const char* atFault;  // the folder at fault, relative; "" when none
    bool needsRoot = false;
};

TEST(TrustCheckTest, EveryFolderUpToTheRoot) {
    TempFolder temp;
    const fs::path t = temp.path();
    for (const char* folder : {"own", "group", "world/inner", "sticky/inner", "other/inner"})
        fs::create_directories(t / folder);
    const std::pair<const char*, mode_t> modes[] = {
        {"own", 0700},     {"group", 0770},        {"world", 0777}, {"world/inner", 0700},
        {"sticky", 01777}, {"sticky/inner", 0700}, {"other", 0755}};
    for (const auto& [folder, mode] : modes)
        ASSERT_EQ(chmod((t / folder).c_str(), mode), 0);
    const bool root = RunningAsRoot();
    if (root) {
        ASSERT_EQ(chown((t / "other").c_str(), kOrdinaryUser, kOrdinaryGroup), 0);
    }
    // Reached through a link: the folders that really hold it are checked.
    fs::create_directory_symlink(t / "world/inner", t / "link");

    const FolderCase cases[] = {
        {"private/OwnFolder", "own", TrustFault::None, ""},
        {"private/StickyMayBeWritableByOthers", "sticky/inner", TrustFault::None, ""},
        {"shared/GroupMayWrite", "group", TrustFault::WritableByOthers, "group"},
        {"shared/OthersMayWriteAFolderAbove", "world/inner", TrustFault::WritableByOthers, "world"},
        {"shared/ThroughALink", "link", TrustFault::WritableByOthers, "world"},
        {"owner/AnotherUsersFolderAbove", "other/inner", TrustFault::OwnedByOther, "other", true},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && !root) {
            std::printf("[ skipped  ] %s: giving a folder away needs root\n", c.name);
            continue;
        }
        const TrustCheck check = CheckFolderPath(DecodeName((t / c.folder).string()));
        EXPECT_EQ(check.fault, c.fault);
        if (*c.atFault != '\0') {
            EXPECT_EQ(EncodeName(check.path), (t / c.atFault).string());
        }
        if (c.fault == TrustFault::OwnedByOther) {
            EXPECT_EQ(check.owner, kOrdinaryUser);
        }
    }
    const TrustCheck missing = CheckFolderPath(DecodeName((t / "missing").string()));
    EXPECT_EQ(missing.fault, TrustFault::Unchecked);
    EXPECT_EQ(missing.error, ENOENT);
}

TEST(TrustCheckTest, WhatAnOpenFileIs) {
    TempFolder temp;
    const fs::path t = temp.path();
    const bool root = RunningAsRoot();
    struct FileCase {
        const char* name;
        mode_t mode;
        bool givenAway;
        TrustFault fault;
    };
    const FileCase cases[] = {
        {"private/OwnerOnly", 0600, false, TrustFault::None},
        {"private/ReadableByOthers", 0644, false, TrustFault::None},
        {"shared/GroupMayWrite", 0660, false, TrustFault::WritableByOthers},
        {"shared/OthersMayWrite", 0606, false, TrustFault::WritableByOthers},
        {"owner/AnotherUsers", 0600, true, TrustFault::OwnedByOther},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.givenAway && !root)
            continue;
        const fs::path path = t / c.name;
        fs::create_directories(path.parent_path());
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(fchmod(fd, c.mode), 0);
        if (c.givenAway) {
            ASSERT_EQ(fchown(fd, kOrdinaryUser, kOrdinaryGroup), 0);
        }
        const TrustCheck check = CheckOpenFile(fd, DecodeName(path.string()));
        EXPECT_EQ(check.fault, c.fault);
        EXPECT_EQ(check.trusted(), c.fault == TrustFault::None);
        close(fd);
    }
    ASSERT_EQ(mkfifo((t / "pipe").c_str(), 0600), 0);
    const int pipe = open((t / "pipe").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(pipe, 0);
    EXPECT_EQ(CheckOpenFile(pipe, u"pipe").fault, TrustFault::NotRegularFile);
    close(pipe);
}

}  // namespace
}  // namespace brindle::testing
