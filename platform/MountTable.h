#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brindle {

// What the kernel's table of mounts tells about a filesystem: here, whether its driver
// is one of those that lose a folder's contents when the folder is renamed (by any
// program). fusefat is one: its folders come back empty after a rename.
//
// Whether the mounts, as /proc/self/mountinfo writes them (`mountInfo`), show the
// filesystem of `device` (st_dev) as one whose folder renames lose contents.
bool FolderRenamesLoseContents(std::string_view mountInfo, std::uint64_t device);

// The same for this process's mounts, read once when first asked.
class MountTable {
public:
    bool FolderRenamesLoseContents(std::uint64_t device);

private:
    std::optional<std::string> mountInfo_;
};

}  // namespace brindle
