#pragma once

// Users of the test's own, made with useradd, for tests of what one user can do to
// another's files. Only root can make them and become them; elsewhere `Made` says why not.

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace brindle::testing {

struct TestUser {
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;

    // For good, in a child process that runs as root. False when the change failed.
    bool Become() const {
        return setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0;
    }
};

// The user `name`, made (a system user with a group of its own, no home, no login) when
// it is missing. Test processes run side by side: one makes it at a time.
inline std::optional<TestUser> MadeUser(const std::string& name, std::string& whyNot) {
    if (geteuid() != 0) {
        whyNot = "making users needs root";
        return std::nullopt;
    }
    const int lock = open("/tmp/brindle-test-users.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock >= 0)
        flock(lock, LOCK_EX);
    if (!getpwnam(name.c_str())) {
        const std::string command =
            "useradd --system --user-group --no-create-home --shell "
            "/usr/sbin/nologin '" +
            name + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            whyNot = "useradd could not make " + name;
    }
    if (lock >= 0)
        close(lock);
    const passwd* entry = getpwnam(name.c_str());
    if (!entry) {
        if (whyNot.empty())
            whyNot = "no user " + name;
        return std::nullopt;
    }
    return TestUser{name, entry->pw_uid, entry->pw_gid};
}

}  // namespace brindle::testing
