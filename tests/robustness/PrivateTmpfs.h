#pragma once

// Filesystems of the test's own: a small one to fill up, a new ext4 to reuse inodes in.

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "ChildProcess.h"

namespace brindle::testing {

// Runs `body` in a forked child that has a mount namespace of its own, where `mount`
// has mounted a filesystem (seen by that child and its children only; it goes with
// them). The child's exit status is body's result; nullopt when such a mount cannot be
// made here.
inline std::optional<int> InPrivateMount(const std::function<bool()>& mount,
                                         const std::function<int()>& body) {
    constexpr int kNoMount = 77;
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (unshare(CLONE_NEWNS) != 0)
            _exit(kNoMount);
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            _exit(kNoMount);
        if (!mount())
            _exit(kNoMount);
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

// A tmpfs of `bytes` at `mountPoint`.
inline std::optional<int> InPrivateTmpfs(const std::string& mountPoint, std::size_t bytes,
                                         const std::function<int()>& body) {
    return InPrivateMount(
        [&] {
            const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
            return ::mount("brindle-test", mountPoint.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                           options.c_str()) == 0;
        },
        body);
}

// A new ext4 filesystem of 16 MiB in the image file `image`, mounted at `mountPoint`
// through a loop device (which goes with the mount).
inline std::optional<int> InPrivateExt4(const std::string& image, const std::string& mountPoint,
                                        const std::function<int()>& body) {
    const std::string make =
        "truncate -s 16M '" + image + "' && mkfs.ext4 -q -F '" + image + "' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0)
        return std::nullopt;
    return InPrivateMount(
        [&] {
            const std::string command =
                "mount -o loop '" + image + "' '" + mountPoint + "' >/dev/null 2>&1";
            return std::system(command.c_str()) == 0;
        },
        body);
}

}  // namespace brindle::testing
