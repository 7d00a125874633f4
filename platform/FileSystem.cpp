#include "platform/FileSystem.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/NameCodec.h"
#include "platform/PathAt.h"

namespace brindle {
namespace {

using detail::PathAt;

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

}  // namespace

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

std::optional<std::string> ReadFileBytes(std::u16string_view path) {
    const FileDescriptor fd(OpenForReading(path));
    if (fd.get() < 0)
        return std::nullopt;
    struct stat info {};
    // A device or pipe may never end; only regular files are read whole.
    if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = pread(fd.get(), buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
    return bytes;
}

}  // namespace brindle
