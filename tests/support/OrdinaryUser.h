#pragma once

// Root reads and writes everything, so tests that need a permission fault make it as an
// ordinary user.

#include <grp.h>
#include <sys/fsuid.h>
#include <sys/types.h>
#include <unistd.h>

namespace brindle::testing {

constexpr uid_t kOrdinaryUser = 65534;
constexpr gid_t kOrdinaryGroup = 65534;

inline bool RunningAsRoot() {
    return geteuid() == 0;
}

// For good, in a child process that runs as root. False when the change failed.
inline bool BecomeOrdinaryUser() {
    return setgroups(0, nullptr) == 0 && setgid(kOrdinaryGroup) == 0 && setuid(kOrdinaryUser) == 0;
}

// While it lives, this thread, and every thread it starts meanwhile, reaches files as the
// ordinary user (the filesystem user and group, which the kernel keeps per thread): the
// permission bits bind it as they bind that user, while the process stays root. For a
// test that cannot leave its process (a window's batch runs on a thread it starts). Does
// nothing when the test does not run as root.
class FilesAsOrdinaryUser {
public:
    FilesAsOrdinaryUser() : active_(RunningAsRoot()) {
        if (active_) {
            setfsgid(kOrdinaryGroup);
            setfsuid(kOrdinaryUser);
        }
    }
    ~FilesAsOrdinaryUser() {
        if (active_) {
            setfsuid(0);
            setfsgid(0);
        }
    }
    FilesAsOrdinaryUser(const FilesAsOrdinaryUser&) = delete;
    FilesAsOrdinaryUser& operator=(const FilesAsOrdinaryUser&) = delete;

private:
    bool active_;
};

}  // namespace brindle::testing
