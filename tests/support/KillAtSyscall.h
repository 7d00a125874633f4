#pragma once

// A program run under ptrace by the test itself and killed with SIGKILL at the entry of a
// system call the test picks, before the kernel makes the call: what a crash or a power
// cut at that very moment leaves behind, exactly there on every run. The test is the
// tracer, so nothing but the kernel stands between it and the program.

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace brindle::testing {

// A thread of the traced program at the entry of a system call.
struct SyscallEntry {
    pid_t thread = 0;
    std::uint64_t number = 0;  // SYS_renameat, ...
    std::array<std::uint64_t, 6> args{};

    // The text that argument `index` points to in the program (a path), up to its NUL;
    // at most 4096 bytes.
    std::string TextArgument(int index) const {
        std::string text;
        std::uint64_t address = args[static_cast<std::size_t>(index)];
        // Word by word from an aligned address, so that a read never reaches into a
        // page beyond the one that holds the text's last byte.
        const std::uint64_t skip = address % sizeof(long);
        address -= skip;
        for (std::size_t offset = skip; text.size() < 4096; address += sizeof(long), offset = 0) {
            errno = 0;
            const long word =
                ptrace(PTRACE_PEEKDATA, thread, reinterpret_cast<void*>(address), nullptr);
            if (errno != 0)
                break;
            char bytes[sizeof(long)];
            std::memcpy(bytes, &word, sizeof word);
            for (std::size_t i = offset; i < sizeof word; ++i) {
                if (bytes[i] == '\0')
                    return text;
                text += bytes[i];
            }
        }
        return text;
    }
};

struct TracedRun {
    bool traced = false;  // the program ran under the tracer (ptrace is allowed here)
    bool killed = false;  // killed at the picked call
    int waitStatus = 0;   // how the program ended
};

// Runs `argv` (the program's path first) with its standard streams on /dev/null and the
// environment changed by `environment` ("NAME=value" sets, a bare "NAME" removes), and
// kills it at the entry of the first system call, in any of its threads, that `pick` is
// true for. Returns once the program has ended.
inline TracedRun KillAtSyscall(const std::vector<std::string>& argv,
                               const std::vector<std::string>& environment,
                               const std::function<bool(const SyscallEntry&)>& pick) {
    std::vector<std::string> strings = argv;
    std::vector<char*> arguments;
    for (std::string& text : strings)
        arguments.push_back(text.data());
    arguments.push_back(nullptr);

    TracedRun run;
    const pid_t pid = fork();
    if (pid < 0)
        return run;
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        if (null < 0 || dup2(null, 0) < 0 || dup2(null, 1) < 0 || dup2(null, 2) < 0)
            _exit(126);
        for (const std::string& change : environment) {
            const auto equals = change.find('=');
            if (equals == std::string::npos)
                unsetenv(change.c_str());
            else
                setenv(change.substr(0, equals).c_str(), change.c_str() + equals + 1, 1);
        }
        // LeakSanitizer cannot stop a traced process to look for leaks.
        const char* options = getenv("ASAN_OPTIONS");
        const std::string withoutLeaks =
            std::string(options ? options : "") + (options ? ":" : "") + "detect_leaks=0";
        setenv("ASAN_OPTIONS", withoutLeaks.c_str(), 1);
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
            _exit(125);
        // Stopped until the tracer has set its options, so that it sees every call.
        raise(SIGSTOP);
        execv(arguments[0], arguments.data());
        _exit(127);
    }

    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return run;
    if (!WIFSTOPPED(status)) {
        run.waitStatus = status;  // PTRACE_TRACEME refused
        return run;
    }
    const long options =
        PTRACE_O_TRACESYSGOOD | PTRACE_O_TRACECLONE | PTRACE_O_TRACEEXEC | PTRACE_O_EXITKILL;
    if (ptrace(PTRACE_SETOPTIONS, pid, nullptr, reinterpret_cast<void*>(options)) != 0 ||
        ptrace(PTRACE_SYSCALL, pid, nullptr, nullptr) != 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return run;
    }
    run.traced = true;
    for (;;) {
        const pid_t thread = waitpid(-1, &status, __WALL);
        if (thread < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            if (thread == pid) {
                run.waitStatus = status;
                break;
            }
            continue;
        }
        if (!WIFSTOPPED(status) || run.killed)
            continue;  // SIGKILL ends every thread, stopped or not
        int deliver = 0;
        const int signal = WSTOPSIG(status);
        if (signal == (SIGTRAP | 0x80)) {
            __ptrace_syscall_info info{};
            if (ptrace(PTRACE_GET_SYSCALL_INFO, thread, reinterpret_cast<void*>(sizeof info),
                       &info) > 0 &&
                info.op == PTRACE_SYSCALL_INFO_ENTRY) {
                SyscallEntry entry;
                entry.thread = thread;
                entry.number = info.entry.nr;
                for (std::size_t i = 0; i < entry.args.size(); ++i)
                    entry.args[i] = info.entry.args[i];
                if (pick(entry)) {
                    kill(pid, SIGKILL);
                    run.killed = true;
                    continue;
                }
            }
        } else if ((status >> 16) == 0 && signal != SIGSTOP) {
            // A signal on its way to the program: it gets it. The stops of the tracer's
            // events, and the SIGSTOP a new thread starts with, are the tracer's own.
            deliver = signal;
        }
        ptrace(PTRACE_SYSCALL, thread, nullptr,
               reinterpret_cast<void*>(static_cast<long>(deliver)));
    }
    return run;
}

}  // namespace brindle::testing
