#pragma once

// Forked children, for what a test must keep out of its own process: the current folder,
// the user id, a resource limit, a mount.

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <stdexcept>

namespace brindle::testing {

// The wait status of `pid`, once it has ended.
inline int WaitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            throw std::runtime_error("waitpid failed");
    }
    return status;
}

// Runs `body` in a child process and returns its exit status: 128 + the signal when a
// signal ended it, -1 when there was no child.
inline int InChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace brindle::testing
