#include "platform/FileSystem.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/NameCodec.h"
#include "platform/PathAt.h"

namespace brindle {

using detail::PathAt;

namespace {

// Opens a file for reading. Non-blocking, so that a named pipe cannot hang the caller;
// -1 with errno set on failure.
int OpenForReading(std::u16string_view path) {
    const PathAt at(path);
    if (at.error() != 0) {
        errno = at.error();
        return -1;
    }
    return openat(at.dir(), at.name(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Reads up to `count` bytes from `offset`; stops early at the end or at an error.
std::string ReadAt(int fd, off_t offset, std::size_t count) {
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got =
            pread(fd, bytes.data() + done, count - done, offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

// lstat through the path helper; 0 or errno.
int LinkStat(std::u16string_view path, struct stat& info) {
    const PathAt at(path);
    if (at.error() != 0)
        return at.error();
    return fstatat(at.dir(), at.name(), &info, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

}  // namespace

bool PathExists(std::u16string_view path) {
    struct stat info {};
    return LinkStat(path, info) == 0;
}

bool IsFolderPath(std::u16string_view path) {
    struct stat info {};
    return LinkStat(path, info) == 0 && S_ISDIR(info.st_mode);
}

int StatFollowingLinks(std::u16string_view path, bool& isFolder) {
    isFolder = false;
    const PathAt at(path);
    if (at.error() != 0)
        return at.error();
    struct stat info {};
    if (fstatat(at.dir(), at.name(), &info, 0) != 0)
        return errno;
    isFolder = S_ISDIR(info.st_mode);
    return 0;
}

bool IsUsableName(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..")
        return false;
    for (const char16_t unit : name) {
        if (unit == u'/' || unit == u'\0')
            return false;
    }
    return IsValidName16(name);
}

int VisitFolderDescriptor(int fd, const FolderVisitor& visit) {
    DIR* dir = fdopendir(fd);
    if (!dir) {
        const int error = errno;
        close(fd);
        return error;
    }
    int error = 0;
    for (;;) {
        // readdir tells the end of the folder from a failing read only by errno.
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            isFolder =
                fstatat(dirfd(dir), name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
        }
        visit(name, static_cast<std::uint64_t>(entry->d_ino), isFolder);
    }
    closedir(dir);
    return error;
}

namespace {

// Room for about as many entries as the folder's size could hold, so that a long listing
// is not copied as it grows. Every filesystem that reports a folder's size in bytes spends
// at least this many on an entry; room that no entry fills is never touched, so a high
// guess costs address space only. A size no folder has (a network or FUSE filesystem's
// guess) is not believed past a bound.
std::size_t EntriesRoomFor(int fd) {
    constexpr std::size_t kLeastBytesPerEntry = 16;
    constexpr std::size_t kMostEntries = std::size_t{1} << 20;
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_size <= 0)
        return 0;
    return std::min(static_cast<std::size_t>(info.st_size) / kLeastBytesPerEntry, kMostEntries);
}

}  // namespace

FolderListing ListFolderDescriptor(int fd, int* error) {
    FolderListing entries(EntriesRoomFor(fd));
    const int failure = VisitFolderDescriptor(
        fd, [&entries](std::string_view name, std::uint64_t inode, bool isFolder) {
            entries.AddBytes(name, isFolder, inode);
        });
    if (error)
        *error = failure;
    return entries;
}

bool ReadFileTail(std::u16string_view path, std::size_t count, std::string& tail) {
    tail.clear();
    const FileDescriptor fd(OpenForReading(path));
    if (fd.get() < 0)
        return false;
    struct stat info {};
    // Only a regular file has a tail to read; anything else reads as too short.
    if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return true;
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (size < count)
        return true;
    tail = ReadAt(fd.get(), static_cast<off_t>(size - count), count);
    return true;
}

std::optional<std::string> ReadFileBytes(std::u16string_view path, int* error) {
    const auto fail = [error](int code) -> std::optional<std::string> {
        if (error)
            *error = code;
        return std::nullopt;
    };
    const FileDescriptor fd(OpenForReading(path));
    if (fd.get() < 0)
        return fail(errno);
    struct stat info {};
    if (fstat(fd.get(), &info) != 0)
        return fail(errno);
    // A device or pipe may never end; only regular files are read whole.
    if (!S_ISREG(info.st_mode))
        return fail(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    std::string bytes;
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = pread(fd.get(), buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return fail(errno);
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
    if (error)
        *error = 0;
    return bytes;
}

int RemoveFile(std::u16string_view path) {
    const PathAt at(path);
    if (at.error() != 0)
        return at.error();
    return unlinkat(at.dir(), at.name(), 0) == 0 ? 0 : errno;
}

std::u16string FileErrorText(int error, std::u16string_view name) {
    std::u16string_view text;
    switch (error) {
        case ENOENT:
            text = u"%1 was not found.";
            break;
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
        case ELOOP:
            text = u"%1 contains an invalid path.";
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            text = u"Access to %1 was denied.";
            break;
        case EBUSY:
        case ETXTBSY:
            text = u"A sharing violation occurred while accessing %1.";
            break;
        case EWOULDBLOCK:
            text = u"A locking violation occurred while accessing %1.";
            break;
        case EIO:
            text = u"A hardware I/O error was reported while accessing %1.";
            break;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            text = u"Disk full while accessing %1.";
            break;
        default:
            text = u"An unknown error occurred while accessing %1.";
            break;
    }
    std::u16string result(text);
    const auto at = result.find(u"%1");
    result.replace(at, 2, name);
    return result;
}

std::u16string SystemErrorText(int error) {
    char buffer[256];
    // The GNU strerror_r: the text may be the buffer or a static string.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return DecodeName(text ? text : "");
}

bool IsDiskFullError(int error) {
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

std::u16string ProgramPath() {
    std::string buffer(PATH_MAX, '\0');
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            break;
        }
        buffer.resize(buffer.size() * 2);  // the link may be longer than PATH_MAX
    }
    return DecodeName(buffer);
}

std::u16string ProgramFolder() {
    const std::u16string program = ProgramPath();
    const auto slash = program.rfind(u'/');
    if (slash == std::u16string::npos)
        return {};
    return program.substr(0, slash + 1);
}

bool SetCurrentFolder(std::u16string_view folder) {
    const PathAt at(folder);
    if (at.error() != 0)
        return false;
    if (at.dir() == AT_FDCWD)
        return chdir(at.name()) == 0;
    const int fd = openat(at.dir(), at.name(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool changed = fchdir(fd) == 0;
    close(fd);
    return changed;
}

std::optional<std::string> CurrentFolderBytes() {
    std::string buffer(PATH_MAX, '\0');
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()))
            break;
        if (errno != ERANGE)
            return std::nullopt;
        buffer.resize(buffer.size() * 2);  // a deep folder may be longer than PATH_MAX
    }
    buffer.resize(std::strlen(buffer.c_str()));
    while (buffer.size() > 1 && buffer.back() == '/')
        buffer.pop_back();
    return buffer;
}

std::u16string CurrentFolder() {
    const std::optional<std::string> folder = CurrentFolderBytes();
    return folder ? DecodeName(*folder) : std::u16string();
}

}  // namespace brindle
