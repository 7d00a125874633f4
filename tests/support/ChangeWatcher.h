#pragma once

// The changes of names in a tree of folders as they happen (entries made, removed and
// renamed), counted through inotify, so that a test can act on a running program after
// its n-th change rather than after a guessed time. Header only.

#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace brindle::testing {

class ChangeWatcher {
public:
    // Watches `root` and every folder below it now; folders made later are not watched.
    explicit ChangeWatcher(const std::string& root) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ < 0)
            throw std::runtime_error("inotify is not available");
        Watch(root);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (entry.is_directory() && !entry.is_symlink())
                Watch(entry.path().string());
        }
    }
    ~ChangeWatcher() { close(fd_); }
    ChangeWatcher(const ChangeWatcher&) = delete;
    ChangeWatcher& operator=(const ChangeWatcher&) = delete;

    // Waits until `count` changes have been seen since the watch began. False when the
    // process `pid` (a child of the test's) ended first, or when nothing at all happened
    // for `quiet` seconds: a program that hangs fails the test instead of stopping it.
    bool WaitFor(std::uint64_t count, pid_t pid, int quiet = 120) {
        const int process = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        if (process < 0)
            throw std::runtime_error("pidfd_open failed");
        bool reached = false;
        for (;;) {
            Drain();
            if (seen_ >= count) {
                reached = true;
                break;
            }
            pollfd fds[2] = {{fd_, POLLIN, 0}, {process, POLLIN, 0}};
            const int ready = poll(fds, 2, quiet * 1000);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                break;
            if (fds[1].revents != 0) {
                // Ended: what it did before its end still counts.
                Drain();
                reached = seen_ >= count;
                break;
            }
        }
        close(process);
        return reached;
    }

    // The changes seen so far, after taking in what inotify has reported.
    std::uint64_t Seen() {
        Drain();
        return seen_;
    }

private:
    static constexpr std::uint32_t kChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

    void Watch(const std::string& folder) {
        if (inotify_add_watch(fd_, folder.c_str(), kChanges) < 0)
            throw std::runtime_error("cannot watch " + folder);
    }

    void Drain() {
        alignas(inotify_event) char buffer[65536];
        for (;;) {
            const ssize_t got = read(fd_, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->mask & IN_Q_OVERFLOW)
                    throw std::runtime_error("inotify's queue overflowed");
                if (event->mask & kChanges)
                    ++seen_;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    int fd_;
    std::uint64_t seen_ = 0;
};

}  // namespace brindle::testing
