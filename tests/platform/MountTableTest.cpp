#include <sys/sysmacros.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/MountTable.h"

namespace brindle {
namespace {

// Lines as /proc/self/mountinfo writes them; the device is compared, not the path.
TEST(MountTableTest, FolderRenamesLoseContentsOnlyOnFusefatOfTheSameDevice) {
    const std::string table =
        "22 1 253:1 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
        "44 26 0:39 / /media/my\\040card rw,nosuid,nodev,relatime - fuse.fusefat fusefat "
        "rw,user_id=0,group_id=0\n"
        "45 26 0:40 / /media/stick rw,relatime shared:7 master:2 - fuse.exfat-fuse /dev/sdb1 rw\n"
        "46 26 8:17 / /media/fat rw,relatime - vfat /dev/sdb1 rw\n"
        "47 26 0:41 / /broken\n";
    const struct {
        const char* name;
        unsigned major;
        unsigned minor;
        bool loses;
    } cases[] = {
        {"fusefat", 0, 39, true},           {"the root's ext4", 253, 1, false},
        {"exfat-fuse", 0, 40, false},       {"the kernel's vfat", 8, 17, false},
        {"a line cut short", 0, 41, false}, {"no such device", 0, 99, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FolderRenamesLoseContents(table, makedev(c.major, c.minor)), c.loses);
    }
    EXPECT_FALSE(FolderRenamesLoseContents("", makedev(0, 39)));
}

}  // namespace
}  // namespace brindle
