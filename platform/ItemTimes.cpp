#include "platform/ItemTimes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

namespace brindle {

int ReadItemTimes(int folderFd, std::string_view nameBytes, ItemTimes& times) {
    times = ItemTimes{};
    const std::string name(nameBytes);
    struct statx info {};
    if (statx(folderFd < 0 ? AT_FDCWD : folderFd, name.c_str(), AT_SYMLINK_NOFOLLOW,
              STATX_MTIME | STATX_BTIME | STATX_SIZE, &info) != 0) {
        return errno;
    }
    if ((info.stx_mask & STATX_MTIME) != 0) {
        times.hasModified = true;
        times.modified = {info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec};
    }
    if ((info.stx_mask & STATX_BTIME) != 0) {
        times.hasBirth = true;
        times.birth = {info.stx_btime.tv_sec, info.stx_btime.tv_nsec};
    }
    if ((info.stx_mask & STATX_SIZE) != 0) {
        times.hasSize = true;
        times.size = info.stx_size;
    }
    return 0;
}

}  // namespace brindle
