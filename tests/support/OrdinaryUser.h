#pragma once

// Root reads and writes everything, so tests that need a permission fault make it as an
// ordinary user.

#include <grp.h>
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

}  // namespace brindle::testing
