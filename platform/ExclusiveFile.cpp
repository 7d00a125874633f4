#include "platform/ExclusiveFile.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>

#include "platform/PathAt.h"

namespace brindle {
namespace {

// A file-size limit would otherwise kill the process at the write that crosses it. A
// handler someone else installed is left alone.
void IgnoreFileSizeSignal() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            sigemptyset(&ignore.sa_mask);
            sigaction(SIGXFSZ, &ignore, nullptr);
        }
    });
}

}  // namespace

ExclusiveFile::~ExclusiveFile() {
    Close();
}

int ExclusiveFile::OpenForAppend(std::u16string_view path) {
    Close();
    IgnoreFileSizeSignal();
    const detail::PathAt at(path);
    if (at.error() != 0)
        return at.error();
    // Non-blocking open: a named pipe without a reader must not hang the batch.
    const int fd =
        openat(at.dir(), at.name(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0)
        return errno;
    const auto fail = [fd](int error) {
        close(fd);
        return error;
    };
    struct stat info {};
    if (fstat(fd, &info) != 0)
        return fail(errno);
    if (!S_ISREG(info.st_mode))
        return fail(EINVAL);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno);
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return fail(errno);
    fd_ = fd;
    return 0;
}

int ExclusiveFile::Write(std::string_view bytes) {
    if (fd_ < 0)
        return EBADF;
    while (!bytes.empty()) {
        const ssize_t written = write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;  // no progress and no reason: do not spin
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

std::int64_t ExclusiveFile::Size() const {
    struct stat info {};
    if (fd_ < 0 || fstat(fd_, &info) != 0)
        return -1;
    return static_cast<std::int64_t>(info.st_size);
}

std::int64_t ExclusiveFile::LinkCount() const {
    struct stat info {};
    if (fd_ < 0 || fstat(fd_, &info) != 0)
        return -1;
    return static_cast<std::int64_t>(info.st_nlink);
}

bool ExclusiveFile::SizeAndLinkCount(std::int64_t& size, std::int64_t& linkCount) const {
    struct stat info {};
    if (fd_ < 0 || fstat(fd_, &info) != 0)
        return false;
    size = static_cast<std::int64_t>(info.st_size);
    linkCount = static_cast<std::int64_t>(info.st_nlink);
    return true;
}

int ExclusiveFile::Close() {
    if (fd_ < 0)
        return 0;
    const int fd = fd_;
    fd_ = -1;
    // On Linux the descriptor is gone even when close reports EINTR; never close twice.
    return close(fd) == 0 ? 0 : errno;
}

}  // namespace brindle
