#pragma once

// Helpers of the robustness tests: the real brindle-cli as a child process (waited for,
// or killed), trees read back whole whatever their depth, a tree handed to an ordinary
// user when the tests run as root, and a small filesystem of the test's own.

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace brindle::robustness {

using Strings = std::vector<std::string>;

// Root reads and writes everything, so permission faults are made as this user.
constexpr uid_t kOrdinaryUser = 65534;
constexpr gid_t kOrdinaryGroup = 65534;

inline bool RunningAsRoot() {
    return geteuid() == 0;
}

struct CliRun {
    Strings args;
    std::string workingDirectory;  // empty: the test's own
    bool asOrdinaryUser = false;   // only changes anything when the test runs as root
    rlim_t fileSizeLimit = RLIM_INFINITY;
    std::string outputFile;  // standard output goes there instead of to the test
    Strings tracer;          // run brindle-cli under this command (strace and its options)

    CliRun() = default;
    explicit CliRun(Strings arguments) : args(std::move(arguments)) {}
    CliRun& in(std::string folder) {
        workingDirectory = std::move(folder);
        return *this;
    }
    CliRun& asUser() {
        asOrdinaryUser = true;
        return *this;
    }
    CliRun& limitFileSize(rlim_t bytes) {
        fileSizeLimit = bytes;
        return *this;
    }
    CliRun& writingTo(std::string path) {
        outputFile = std::move(path);
        return *this;
    }
    // Under strace with fault injection, so that a race or a kill lands exactly where the
    // test wants it: `rules` are strace's -e arguments ("inject=renameat2:signal=KILL").
    CliRun& underStrace(const Strings& rules) {
        tracer = {"strace", "-f", "-qq", "-o", "/dev/null"};
        for (const std::string& rule : rules) {
            tracer.push_back("-e");
            tracer.push_back(rule);
        }
        return *this;
    }
};

struct CliResult {
    int status = -1;  // the exit status; -1 when the child did not exit
    int signal = 0;   // the signal that ended it, if one did
    std::string out;
    std::string err;
};

// The program where the ordinary user may run it: the build folder may lie below one
// that only root can enter. Copied once per test process, removed at its end.
class OrdinaryUsersProgram {
public:
    static const std::string& Path() {
        static const OrdinaryUsersProgram program;
        return program.path_;
    }
    ~OrdinaryUsersProgram() {
        unlink(path_.c_str());
        rmdir(folder_.c_str());
    }

private:
    OrdinaryUsersProgram() {
        folder_ = "/tmp/brindle-cli-XXXXXX";
        if (!mkdtemp(folder_.data()) || chmod(folder_.c_str(), 0755) != 0)
            throw std::runtime_error("cannot make a folder for the program");
        path_ = folder_ + "/brindle-cli";
        const int from = open(BRINDLE_CLI_PATH, O_RDONLY | O_CLOEXEC);
        const int to = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0755);
        if (from < 0 || to < 0)
            throw std::runtime_error("cannot copy the program");
        char buffer[65536];
        for (ssize_t got; (got = read(from, buffer, sizeof buffer)) > 0;) {
            if (write(to, buffer, static_cast<std::size_t>(got)) != got)
                throw std::runtime_error("cannot copy the program");
        }
        close(from);
        close(to);
    }
    std::string folder_;
    std::string path_;
};

// strace, for tests that place a race or a kill at one system call.
inline bool StraceWorks() {
    static const bool works = std::system("strace -f -qq -o /dev/null true >/dev/null 2>&1") == 0;
    return works;
}

inline bool DropsToOrdinaryUser(const CliRun& run) {
    return run.asOrdinaryUser && RunningAsRoot();
}

// In the child, after fork: everything but the program itself. Returns only on failure.
// `program` was chosen before the fork.
inline void PrepareChild(const CliRun& run, const std::string& program) {
    if (!run.outputFile.empty()) {
        const int fd = open(run.outputFile.c_str(), O_WRONLY);
        if (fd < 0 || dup2(fd, 1) < 0)
            return;
    }
    if (!run.workingDirectory.empty() && chdir(run.workingDirectory.c_str()) != 0)
        return;
    if (run.fileSizeLimit != RLIM_INFINITY) {
        const rlimit limit{run.fileSizeLimit, run.fileSizeLimit};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return;
    }
    if (DropsToOrdinaryUser(run)) {
        if (setgroups(0, nullptr) != 0 || setgid(kOrdinaryGroup) != 0 ||
            setuid(kOrdinaryUser) != 0) {
            return;
        }
    }
    if (!run.tracer.empty()) {
        // LeakSanitizer cannot stop a traced process to look for leaks.
        const char* options = getenv("ASAN_OPTIONS");
        const std::string withoutLeaks =
            std::string(options ? options : "") + (options ? ":" : "") + "detect_leaks=0";
        setenv("ASAN_OPTIONS", withoutLeaks.c_str(), 1);
    }
    std::vector<std::string> strings = run.tracer;
    strings.push_back(program);
    strings.insert(strings.end(), run.args.begin(), run.args.end());
    std::vector<char*> argv;
    for (auto& text : strings)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
}

inline void Decode(int waitStatus, CliResult& result) {
    if (WIFEXITED(waitStatus))
        result.status = WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        result.signal = WTERMSIG(waitStatus);
}

inline int WaitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            throw std::runtime_error("waitpid failed");
    }
    return status;
}

// Runs brindle-cli to its end with standard input empty; collects what it writes.
inline CliResult RunCli(const CliRun& run) {
    int out[2];
    int err[2];
    int in[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0 || pipe2(in, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const std::string program =
        DropsToOrdinaryUser(run) ? OrdinaryUsersProgram::Path() : BRINDLE_CLI_PATH;
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        PrepareChild(run, program);
        _exit(127);
    }
    close(in[0]);
    close(in[1]);
    close(out[1]);
    close(err[1]);
    CliResult result;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    for (int open = 2; open > 0;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("poll failed");
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[65536];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    Decode(WaitFor(pid), result);
    return result;
}

// Starts brindle-cli with every standard stream on /dev/null, for runs that are killed.
inline pid_t StartCli(const CliRun& run) {
    const std::string program =
        DropsToOrdinaryUser(run) ? OrdinaryUsersProgram::Path() : BRINDLE_CLI_PATH;
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        if (null < 0)
            _exit(127);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        PrepareChild(run, program);
        _exit(127);
    }
    return pid;
}

inline void SleepFor(std::chrono::nanoseconds delay) {
    if (delay.count() <= 0)
        return;
    timespec wanted{static_cast<time_t>(delay.count() / 1000000000),
                    static_cast<long>(delay.count() % 1000000000)};
    while (nanosleep(&wanted, &wanted) != 0 && errno == EINTR) {
    }
}

// Kills `pid` with SIGKILL after `delay`. True when the kill cut the run short (it had
// not ended by itself before).
inline bool KillAfter(pid_t pid, std::chrono::nanoseconds delay) {
    SleepFor(delay);
    kill(pid, SIGKILL);
    const int status = WaitFor(pid);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// ---- Trees -------------------------------------------------------------------------

// Everything below a folder: relative path -> "file:" + contents, "folder:", or
// "link:" + target. Read through directory descriptors, so any depth works.
using Tree = std::map<std::string, std::string>;

inline std::string ReadAll(int fd) {
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

inline void ReadTreeAt(int fd, const std::string& prefix, Tree& tree, bool contents) {
    DIR* dir = fdopendir(dup(fd));
    if (!dir) {
        tree[prefix + "?"] = "unreadable";
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    for (const std::string& name : names) {
        const std::string path = prefix + name;
        struct stat info {};
        if (fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            tree[path] = "vanished";
        } else if (S_ISDIR(info.st_mode)) {
            tree[path + "/"] = "folder:";
            const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (child < 0) {
                tree[path + "/?"] = "unreadable";
                continue;
            }
            ReadTreeAt(child, path + "/", tree, contents);
            close(child);
        } else if (S_ISLNK(info.st_mode)) {
            std::string target(4096, '\0');
            const ssize_t length = readlinkat(fd, name.c_str(), target.data(), target.size());
            target.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
            tree[path] = "link:" + target;
        } else if (S_ISREG(info.st_mode) && !contents) {
            tree[path] = "file:";
        } else if (S_ISREG(info.st_mode)) {
            const int file = openat(fd, name.c_str(), O_RDONLY | O_NOFOLLOW);
            tree[path] = file < 0 ? "file?" : "file:" + ReadAll(file);
            if (file >= 0)
                close(file);
        } else {
            tree[path] = "other:";
        }
    }
}

// Without `contents`, files read as "file:" alone.
inline Tree ReadTree(const std::string& root, bool contents = true) {
    Tree tree;
    const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return tree;
    ReadTreeAt(fd, "", tree, contents);
    close(fd);
    return tree;
}

// The first differences between two trees, one line each, for a failure message that
// stays short on big trees.
inline std::string Differences(const Tree& expected, const Tree& actual, int limit = 12) {
    std::string text;
    int shown = 0;
    auto note = [&](const std::string& line) {
        if (shown++ < limit)
            text += "  " + line + "\n";
    };
    for (const auto& [path, what] : expected) {
        const auto it = actual.find(path);
        if (it == actual.end())
            note("missing: " + path);
        else if (it->second != what)
            note("changed: " + path + " (" + it->second.substr(0, 60) + ")");
    }
    for (const auto& [path, what] : actual) {
        if (!expected.contains(path))
            note("extra: " + path);
    }
    if (shown > limit)
        text += "  ... " + std::to_string(shown - limit) + " more\n";
    return text;
}

// Hands everything below `fd` (and `fd` itself) to the ordinary user when running as
// root, so that a child running as that user meets only the faults the test makes.
inline void GiveAwayAt(int fd) {
    if (fchown(fd, kOrdinaryUser, kOrdinaryGroup) != 0)
        throw std::runtime_error("cannot hand a folder to the ordinary user");
    DIR* dir = fdopendir(dup(fd));
    if (!dir)
        return;
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    for (const std::string& name : names) {
        if (fchownat(fd, name.c_str(), kOrdinaryUser, kOrdinaryGroup, AT_SYMLINK_NOFOLLOW) != 0)
            throw std::runtime_error("cannot hand " + name + " to the ordinary user");
        const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (child >= 0) {
            GiveAwayAt(child);
            close(child);
        }
    }
}

inline void GiveToOrdinaryUser(const std::string& root) {
    if (!RunningAsRoot())
        return;
    const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        throw std::runtime_error("cannot open " + root);
    GiveAwayAt(fd);
    close(fd);
}

// Removes everything below `fd`, whatever the depth (the temporary folder's own clean-up
// goes by whole paths).
inline void RemoveBelow(int fd) {
    DIR* dir = fdopendir(dup(fd));
    if (!dir)
        return;
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    for (const std::string& name : names) {
        struct stat info {};
        if (fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            // One that cannot be opened up is left for the clean-up to report.
            if (fchmodat(fd, name.c_str(), 0700, 0) != 0)
                continue;
            const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (child >= 0) {
                RemoveBelow(child);
                close(child);
            }
        }
        unlinkat(fd, name.c_str(), S_ISDIR(info.st_mode) ? AT_REMOVEDIR : 0);
    }
}

// ---- A small filesystem ------------------------------------------------------------

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

// ---- Small texts -------------------------------------------------------------------

inline Strings Lines(const std::string& text) {
    Strings lines;
    std::string::size_type start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

inline std::string Status(int total, int changed, int input, int output, int exceptions) {
    return "Total files: " + std::to_string(total) +
           " | Changed files: " + std::to_string(changed) +
           " | Average Input length: " + std::to_string(input) +
           " | Average Output length: " + std::to_string(output) +
           " | Exceptions: " + std::to_string(exceptions);
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path);
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const ssize_t written = write(fd, rest.data(), rest.size());
        if (written <= 0) {
            close(fd);
            throw std::runtime_error("cannot write " + path);
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    close(fd);
}

inline std::string ReadFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string bytes = ReadAll(fd);
    close(fd);
    return bytes;
}

}  // namespace brindle::robustness
