#include "platform/ItemStamp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <string>

#include "platform/OpenFolder.h"

namespace brindle {

int StampEntry(int folderFd, std::string_view nameBytes, EntryStatus& status, ItemStamp& stamp) {
    const std::string name(nameBytes);
    const int flags = AT_SYMLINK_NOFOLLOW | (name.empty() ? AT_EMPTY_PATH : 0);
    struct statx info {};
    if (statx(folderFd, name.c_str(), flags, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return errno;
    status.identity = {makedev(info.stx_dev_major, info.stx_dev_minor), info.stx_ino};
    status.isFolder = S_ISDIR(info.stx_mode);
    status.isRegular = S_ISREG(info.stx_mode);
    status.readOnly = (info.stx_mode & S_IWUSR) == 0;
    status.size = static_cast<std::int64_t>(info.stx_size);
    status.links = info.stx_nlink;
    stamp = ItemStamp{};
    if ((info.stx_mask & STATX_BTIME) != 0) {
        stamp.hasBirth = true;
        stamp.birthSeconds = info.stx_btime.tv_sec;
        stamp.birthNanoseconds = info.stx_btime.tv_nsec;
    }
    // The header and room for the largest handle the kernel makes.
    alignas(file_handle) unsigned char storage[sizeof(file_handle) + MAX_HANDLE_SZ] = {};
    auto* handle = reinterpret_cast<file_handle*>(storage);
    handle->handle_bytes = MAX_HANDLE_SZ;
    int mountId = 0;
    // Without AT_SYMLINK_FOLLOW: a link's own handle.
    if (name_to_handle_at(folderFd, name.c_str(), handle, &mountId,
                          name.empty() ? AT_EMPTY_PATH : 0) == 0) {
        stamp.handleType = handle->handle_type;
        stamp.handle.assign(reinterpret_cast<const char*>(storage + sizeof(file_handle)),
                            handle->handle_bytes);
    } else if (errno != EOPNOTSUPP && errno != EOVERFLOW && errno != ENOSYS) {
        // Gone or replaced between the two calls: nothing is known for sure.
        return errno;
    }
    return 0;
}

}  // namespace brindle
