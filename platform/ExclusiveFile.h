#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/TrustCheck.h"

namespace brindle {

// How long an open waits while another holder has the file's lock. The default does not
// wait: the open fails at once with EWOULDBLOCK.
struct LockWait {
    std::chrono::milliseconds limit{0};
    // Called when the open begins to wait, before it sleeps for the first time.
    std::function<void()> waiting;
    // Asked between tries; true ends the wait (the open fails with EWOULDBLOCK).
    std::function<bool()> cancelled;
};

// A file opened for appending under a non-blocking exclusive flock: created when
// missing (readable and writable by its owner only), never truncated, every write going
// to its end. Used for the log, which may stay open and locked for a whole batch.
//
// Only a file that no one but its user could have written is opened: its folder is
// opened first and checked up to the root (TrustCheck.h), the file is opened relative to
// it without following a symbolic link, and what was opened is checked. A refused file
// fails the open with EPERM, and refusal() tells why.
class ExclusiveFile {
public:
    ExclusiveFile() = default;
    ~ExclusiveFile();
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    // 0 or the errno of the failure (EWOULDBLOCK when another holder has the lock, and
    // kept it for all of `wait`: the lock is tried again between short sleeps). The
    // file is open for reading too. Opening ignores SIGXFSZ, so that exceeding a file-size limit is
    // reported by the write (EFBIG) instead of killing the process. A file locked after another
    // holder removed or replaced it is not the log any more: the open then starts over with the
    // file now at the path.
    int OpenForAppend(std::u16string_view path, const LockWait& wait = {});
    // The same lock on an existing file, for reading it whole and appending to it; where
    // it may only be read, it is opened for reading alone (writable() says which).
    int OpenForReadAndAppend(std::u16string_view path, const LockWait& wait = {});
    bool IsOpen() const { return fd_ >= 0; }
    bool writable() const { return writable_; }
    // Why the last open was refused; trusted() when it was not.
    const TrustCheck& refusal() const { return refusal_; }

    // Writes all of `bytes` (one write where the system allows). 0 or errno.
    int Write(std::string_view bytes);

    // Current size of the open file (fstat); -1 when unknown.
    std::int64_t Size() const;
    // Size and link count from one fstat; false when unknown. A link count of 0 means
    // someone removed the file while it was open.
    bool SizeAndLinkCount(std::int64_t& size, std::int64_t& linkCount) const;

    // Up to `size` bytes from `offset`: how many were read (0 at the end), -1 on an error.
    long ReadAt(std::int64_t offset, char* buffer, std::size_t size) const;
    // Cuts the file to `size` bytes. 0 or errno.
    int Truncate(std::int64_t size) const;
    // Whether the file lies on a filesystem held in memory (tmpfs, ramfs), where making
    // it durable means nothing.
    bool OnMemoryFilesystem() const { return onMemoryFilesystem_; }
    // Makes what was written durable (fdatasync). 0 or errno.
    int Sync() const;
    // Removes the file from its folder while the lock is still held, when its name there
    // still leads to it. 0 or errno.
    int Remove() const;

    // 0 or the errno of a failing close.
    int Close();

private:
    int OpenLocked(std::u16string_view path, bool create, bool read, const LockWait& wait);

    int fd_ = -1;
    int folderFd_ = -1;  // the folder it was opened in, while it is open
    std::string name_;   // its name there
    TrustCheck refusal_;
    bool writable_ = false;
    bool onMemoryFilesystem_ = false;
};

}  // namespace brindle
