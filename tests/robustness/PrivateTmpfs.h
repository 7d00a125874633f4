#pragma once

// A small filesystem of the test's own, to fill up.

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "ChildProcess.h"

namespace brindle::testing {

// Runs `body` in a forked child that has a mount namespace of its own, with a tmpfs of
// `bytes` mounted at `mountPoint` (seen by that child and its children only; it goes
// with them). The child's exit status is body's result; nullopt when such a mount
// cannot be made here.
inline std::optional<int> InPrivateTmpfs(const std::string& mountPoint, std::size_t bytes,
                                         const std::function<int()>& body) {
    constexpr int kNoMount = 77;
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (unshare(CLONE_NEWNS) != 0)
            _exit(kNoMount);
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            _exit(kNoMount);
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
        if (mount("brindle-test", mountPoint.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                  options.c_str()) != 0) {
            _exit(kNoMount);
        }
        int result = 1;
        try {
            result = body();
        } catch (const std::exception&) {
            result = 3;  // told by the status: the parent fails the test
        }
        _exit(result);
    }
    const int status = WaitFor(pid);
    if (!WIFEXITED(status))
        return 4;
    if (WEXITSTATUS(status) == kNoMount)
        return std::nullopt;
    return WEXITSTATUS(status);
}

}  // namespace brindle::testing
