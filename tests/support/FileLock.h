#pragma once

// A file's exclusive lock as a second program sees it: held for a while, or tried once.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

namespace brindle::testing {

// Holds an exclusive flock on a file (made if missing) while it lives.
class LockHolder {
public:
    explicit LockHolder(const std::string& path)
        : fd_(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
        locked_ = fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) == 0;
    }
    ~LockHolder() {
        if (fd_ >= 0)
            close(fd_);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
    bool locked() const { return locked_; }

private:
    int fd_;
    bool locked_ = false;
};

// Whether a second program could take the file's exclusive lock just now.
inline bool CanLock(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return locked;
}

}  // namespace brindle::testing
