#include "platform/ExclusiveFile.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>

#include "platform/NameCodec.h"
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

namespace {

// The open file is still the one of that name in its folder (nobody removed or replaced
// it between our open and our lock).
bool StillThere(int fd, int folderFd, const std::string& name) {
    struct stat open {};
    struct stat there {};
    if (fstat(fd, &open) != 0)
        return false;
    return fstatat(folderFd, name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
           there.st_dev == open.st_dev && there.st_ino == open.st_ino;
}

constexpr int kOpenAttempts = 20;

// Between two tries of a lock held elsewhere: short enough that a lock given up is taken
// soon after, long enough that waiting costs nothing.
constexpr std::chrono::milliseconds kLockRetryStep{50};

// The wait for a lock held elsewhere, as a LockWait allows it.
class LockWaiter {
public:
    explicit LockWaiter(const LockWait& wait) : wait_(wait) {}

    // Sleeps before the next try; false when the wait is over (its limit reached, or
    // cancelled) and the lock is not to be tried again.
    bool SleepBeforeRetry() {
        using Clock = std::chrono::steady_clock;
        const auto now = Clock::now();
        if (!started_) {
            if (wait_.limit.count() <= 0)
                return false;
            started_ = true;
            deadline_ = now + wait_.limit;
            if (wait_.waiting)
                wait_.waiting();
        }
        if (now >= deadline_ || Cancelled())
            return false;
        const auto step = std::min<Clock::duration>(kLockRetryStep, deadline_ - now);
        const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(step);
        timespec pause{static_cast<time_t>(nanoseconds.count() / 1000000000),
                       static_cast<long>(nanoseconds.count() % 1000000000)};
        // A signal cuts the sleep short: its handler may have asked to cancel.
        nanosleep(&pause, nullptr);
        return !Cancelled();
    }

private:
    bool Cancelled() const { return wait_.cancelled && wait_.cancelled(); }

    const LockWait& wait_;
    bool started_ = false;
    std::chrono::steady_clock::time_point deadline_;
};

// The folder part of a path ("." for a bare name) and its last component.
bool SplitPath(std::u16string_view path, std::u16string& folder, std::string& name) {
    const auto slash = path.rfind(u'/');
    folder = slash == std::u16string_view::npos ? std::u16string(u".")
                                                : std::u16string(path.substr(0, slash + 1));
    name = EncodeName(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
    return !name.empty() && name != "." && name != "..";
}

}  // namespace

int ExclusiveFile::OpenForAppend(std::u16string_view path, const LockWait& wait) {
    return OpenLocked(path, true, false, wait);
}

int ExclusiveFile::OpenForReadAndAppend(std::u16string_view path, const LockWait& wait) {
    return OpenLocked(path, false, true, wait);
}

int ExclusiveFile::OpenLocked(std::u16string_view path, bool create, bool read,
                              const LockWait& wait) {
    Close();
    refusal_ = TrustCheck{};
    IgnoreFileSizeSignal();
    std::u16string folderPath;
    std::string name;
    if (!SplitPath(path, folderPath, name))
        return path.empty() ? ENOENT : EISDIR;
    int folderFd = -1;
    {
        const detail::PathAt at(folderPath);
        if (at.error() != 0)
            return at.error();
        folderFd = openat(at.dir(), at.name(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folderFd < 0)
            return errno;
    }
    const auto refuse = [&](TrustCheck check) {
        refusal_ = std::move(check);
        close(folderFd);
        return EPERM;
    };
    // What is checked is the folder the file is then opened in.
    if (TrustCheck check = CheckFoldersAbove(folderFd); !check.trusted())
        return refuse(std::move(check));
    // One wait for the whole open, also when the file is replaced while it waits.
    LockWaiter waiter(wait);
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        // Non-blocking open: a named pipe without a reader must not hang the batch. A
        // symbolic link at the path is refused, never followed.
        int flags = O_RDWR | O_APPEND | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW;
        if (create)
            flags |= O_CREAT;
        int fd = openat(folderFd, name.c_str(), flags, 0600);
        bool writable = fd >= 0;
        if (fd < 0 && read && (errno == EACCES || errno == EROFS || errno == EPERM)) {
            fd = openat(folderFd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
            writable = false;
        }
        if (fd < 0) {
            const int error = errno;
            struct stat link {};
            if (error == ELOOP &&
                fstatat(folderFd, name.c_str(), &link, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(link.st_mode)) {
                return refuse(TrustCheck{TrustFault::SymbolicLink, std::u16string(path)});
            }
            close(folderFd);
            return error;
        }
        const auto fail = [fd, folderFd](int error) {
            close(fd);
            close(folderFd);
            return error;
        };
        struct stat info {};
        if (fstat(fd, &info) != 0)
            return fail(errno);
        if (S_ISDIR(info.st_mode))
            return fail(EISDIR);
        if (TrustCheck check = CheckOpenFile(fd, path); !check.trusted()) {
            close(fd);
            return refuse(std::move(check));
        }
        int lockError = 0;
        while ((lockError = flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno) == EWOULDBLOCK &&
               waiter.SleepBeforeRetry()) {
        }
        if (lockError != 0)
            return fail(lockError);
        if (!StillThere(fd, folderFd, name)) {
            close(fd);
            continue;
        }
        const int fileFlags = fcntl(fd, F_GETFL);
        if (fileFlags < 0 || fcntl(fd, F_SETFL, fileFlags & ~O_NONBLOCK) != 0)
            return fail(errno);
        // A log made by an earlier version may be readable by everyone; the names it
        // holds are the user's business alone.
        if (writable && info.st_uid == geteuid() && (info.st_mode & 077) != 0)
            fchmod(fd, info.st_mode & 07700);
        fd_ = fd;
        folderFd_ = folderFd;
        name_ = std::move(name);
        writable_ = writable;
        struct statfs fs {};
        onMemoryFilesystem_ =
            fstatfs(fd, &fs) == 0 && (static_cast<std::uint32_t>(fs.f_type) == 0x01021994u ||
                                      static_cast<std::uint32_t>(fs.f_type) == 0x858458F6u);
        return 0;
    }
    close(folderFd);
    return EWOULDBLOCK;
}

long ExclusiveFile::ReadAt(std::int64_t offset, char* buffer, std::size_t size) const {
    if (fd_ < 0)
        return -1;
    for (;;) {
        const ssize_t got = pread(fd_, buffer, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        return got < 0 ? -1 : static_cast<long>(got);
    }
}

int ExclusiveFile::Truncate(std::int64_t size) const {
    if (fd_ < 0)
        return EBADF;
    return ftruncate(fd_, static_cast<off_t>(size)) == 0 ? 0 : errno;
}

int ExclusiveFile::Sync() const {
    if (fd_ < 0)
        return EBADF;
    return fdatasync(fd_) == 0 ? 0 : errno;
}

int ExclusiveFile::Remove() const {
    if (fd_ < 0)
        return EBADF;
    if (!StillThere(fd_, folderFd_, name_))
        return ENOENT;
    return unlinkat(folderFd_, name_.c_str(), 0) == 0 ? 0 : errno;
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
    writable_ = false;
    close(folderFd_);
    folderFd_ = -1;
    // On Linux the descriptor is gone even when close reports EINTR; never close twice.
    return close(fd) == 0 ? 0 : errno;
}

}  // namespace brindle
