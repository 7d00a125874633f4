#pragma once

// The real brindle-cli as a child process: run to its end with what it writes collected,
// or started and killed, or left asking on a terminal of its own. The test target defines
// BRINDLE_CLI_PATH, the program of the build.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "OrdinaryUser.h"
#include "TestUsers.h"

namespace brindle::testing {

using Strings = std::vector<std::string>;

struct CliRun {
    Strings args;
    std::string binary = BRINDLE_CLI_PATH;
    std::string workingDirectory;  // empty: the test's own
    std::string input;             // written to standard input
    bool inputIsTerminal = false;  // standard input is a pseudo-terminal
    bool closeOutput = false;      // nobody reads standard output: a closed pipe
    std::string outputFile;        // standard output goes there instead of to the test
    std::string terminal;          // StartCli: every stream on this terminal, as a session's
    // Changes to the child's environment: "NAME=value" sets, a bare "NAME" removes.
    Strings environment;
    rlim_t fileSizeLimit = RLIM_INFINITY;
    bool asOrdinaryUser = false;   // only changes anything when the test runs as root
    std::optional<TestUser> user;  // run as this user (the test runs as root)
    Strings tracer;                // run brindle-cli under this command (strace and its options)

    CliRun() = default;
    explicit CliRun(Strings arguments) : args(std::move(arguments)) {}
    CliRun& withBinary(std::string path) {
        binary = std::move(path);
        return *this;
    }
    CliRun& in(std::string folder) {
        workingDirectory = std::move(folder);
        return *this;
    }
    CliRun& typed(std::string text, bool onTerminal) {
        input = std::move(text);
        inputIsTerminal = onTerminal;
        return *this;
    }
    CliRun& withOutputClosed() {
        closeOutput = true;
        return *this;
    }
    CliRun& writingTo(std::string path) {
        outputFile = std::move(path);
        return *this;
    }
    CliRun& onTerminal(std::string slaveName) {
        terminal = std::move(slaveName);
        return *this;
    }
    CliRun& withEnvironment(Strings changes) {
        environment = std::move(changes);
        return *this;
    }
    CliRun& limitFileSize(rlim_t bytes) {
        fileSizeLimit = bytes;
        return *this;
    }
    CliRun& asUser() {
        asOrdinaryUser = true;
        return *this;
    }
    CliRun& as(const TestUser& who) {
        user = who;
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
    // Held at the `when`-th call of `syscall`, before the call is made, until the test lets
    // it go on (HeldCli): the test acts while brindle-cli waits there, however long that
    // takes. strace holds the call back from a tracer process of its own (-D), so that
    // brindle-cli stays the test's own child, and a tracer that ends lets the call go
    // ahead (-I1: it may be ended).
    CliRun& heldAt(const std::string& syscall, int when) {
        tracer = {"strace",
                  "-D",
                  "-I1",
                  "-f",
                  "-qq",
                  "-o",
                  "/dev/null",
                  "-e",
                  "trace=" + syscall,
                  "-e",
                  "inject=" + syscall + ":delay_enter=600000000:when=" + std::to_string(when)};
        return *this;
    }
};

struct CliResult {
    int status = -1;  // the exit status; -1 when the child did not exit
    int signal = 0;   // the signal that ended it, if one did
    std::string out;
    std::string err;
};

// The master side of a pseudo-terminal; a child opens the slave by its name.
class PseudoTerminal {
public:
    PseudoTerminal() : master_(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            if (master_ >= 0)
                close(master_);
            throw std::runtime_error("no pseudo-terminal");
        }
        slaveName_ = ptsname(master_);
    }
    ~PseudoTerminal() { close(master_); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int master() const { return master_; }
    const std::string& slaveName() const { return slaveName_; }

private:
    int master_;
    std::string slaveName_;
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

#define REQUIRE_STRACE()                                       \
    if (!::brindle::testing::StraceWorks())                    \
    GTEST_SKIP() << "strace is missing or cannot trace here; " \
                    "install Debian's strace to run this test"

namespace detail {

inline bool DropsToOrdinaryUser(const CliRun& run) {
    return run.asOrdinaryUser && RunningAsRoot();
}

// Chosen before the fork: the copy for the ordinary user needs the file system. A
// program given by the test is its own.
inline std::string ProgramOf(const CliRun& run) {
    if (DropsToOrdinaryUser(run))
        return OrdinaryUsersProgram::Path();
    return run.user && run.binary == BRINDLE_CLI_PATH ? OrdinaryUsersProgram::Path() : run.binary;
}

// In the child, once the standard streams are in place: everything but the program
// itself. Returns only on failure.
inline void PrepareAndRun(const CliRun& run, const std::string& program) {
    if (!run.outputFile.empty()) {
        const int fd = open(run.outputFile.c_str(), O_WRONLY);
        if (fd < 0 || dup2(fd, 1) < 0)
            return;
    }
    if (!run.workingDirectory.empty() && chdir(run.workingDirectory.c_str()) != 0)
        return;
    for (const std::string& change : run.environment) {
        const auto equals = change.find('=');
        if (equals == std::string::npos)
            unsetenv(change.c_str());
        else
            setenv(change.substr(0, equals).c_str(), change.c_str() + equals + 1, 1);
    }
    if (run.fileSizeLimit != RLIM_INFINITY) {
        const rlimit limit{run.fileSizeLimit, run.fileSizeLimit};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return;
    }
    if (DropsToOrdinaryUser(run) && !BecomeOrdinaryUser())
        return;
    if (run.user && !run.user->Become())
        return;
    if (!run.tracer.empty()) {
        // LeakSanitizer cannot stop a traced process to look for leaks.
        const char* options = getenv("ASAN_OPTIONS");
        const std::string withoutLeaks =
            std::string(options ? options : "") + (options ? ":" : "") + "detect_leaks=0";
        setenv("ASAN_OPTIONS", withoutLeaks.c_str(), 1);
    }
    Strings strings = run.tracer;
    strings.push_back(program);
    strings.insert(strings.end(), run.args.begin(), run.args.end());
    std::vector<char*> argv;
    for (auto& text : strings)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
}

inline CliResult Decoded(int waitStatus) {
    CliResult result;
    if (WIFEXITED(waitStatus))
        result.status = WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        result.signal = WTERMSIG(waitStatus);
    return result;
}

inline void SleepFor(std::chrono::nanoseconds delay) {
    if (delay.count() <= 0)
        return;
    timespec wanted{static_cast<time_t>(delay.count() / 1000000000),
                    static_cast<long>(delay.count() % 1000000000)};
    while (nanosleep(&wanted, &wanted) != 0 && errno == EINTR) {
    }
}

}  // namespace detail

// Runs brindle-cli to its end; collects what it writes.
inline CliResult RunCli(const CliRun& run) {
    int outPipe[2];
    int errPipe[2];
    int inPipe[2] = {-1, -1};
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    std::optional<PseudoTerminal> terminal;
    if (run.inputIsTerminal)
        terminal.emplace();
    else if (pipe2(inPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const std::string program = detail::ProgramOf(run);

    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int in =
            terminal ? open(terminal->slaveName().c_str(), O_RDWR | O_NOCTTY) : inPipe[0];
        if (in < 0)
            _exit(127);
        dup2(in, 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        detail::PrepareAndRun(run, program);
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    if (run.closeOutput) {
        close(outPipe[0]);
        outPipe[0] = -1;
    }
    if (terminal) {
        // The terminal keeps the typed line until the program reads it.
        if (!run.input.empty() && write(terminal->master(), run.input.data(), run.input.size()) < 0)
            throw std::runtime_error("cannot type on the terminal");
    } else {
        close(inPipe[0]);
        if (!run.input.empty() && write(inPipe[1], run.input.data(), run.input.size()) < 0)
            throw std::runtime_error("cannot write the input");
        close(inPipe[1]);
    }

    std::string out;
    std::string err;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&out, &err};
    for (int streams = run.closeOutput ? 1 : 2; streams > 0;) {
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
                --streams;
            }
        }
    }
    CliResult result = detail::Decoded(WaitFor(pid));
    result.out = std::move(out);
    result.err = std::move(err);
    return result;
}

// brindle-cli running with what it writes collected as it comes, so that a test can wait
// for something it says and act meanwhile. Standard input is empty. Killed at the end of
// the scope unless it has been finished.
class RunningCli {
public:
    explicit RunningCli(const CliRun& run) {
        int outPipe[2];
        int errPipe[2];
        if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        const std::string program = detail::ProgramOf(run);
        pid_ = fork();
        if (pid_ < 0)
            throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            const int in = open("/dev/null", O_RDONLY);
            if (in < 0)
                _exit(127);
            dup2(in, 0);
            dup2(outPipe[1], 1);
            dup2(errPipe[1], 2);
            detail::PrepareAndRun(run, program);
            _exit(127);
        }
        close(outPipe[1]);
        close(errPipe[1]);
        fds_[0] = {outPipe[0], POLLIN, 0};
        fds_[1] = {errPipe[0], POLLIN, 0};
    }
    ~RunningCli() {
        for (const pollfd& fd : fds_) {
            if (fd.fd >= 0)
                close(fd.fd);
        }
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            WaitFor(pid_);
        }
    }
    RunningCli(const RunningCli&) = delete;
    RunningCli& operator=(const RunningCli&) = delete;

    // Reads what it writes until its standard error holds `text`; false when both streams
    // ended first.
    bool WaitForError(const std::string& text) {
        while (err_.find(text) == std::string::npos) {
            if (!ReadSome())
                return false;
        }
        return true;
    }
    // Reads the rest and waits for its end.
    CliResult Finish() {
        while (ReadSome()) {
        }
        CliResult result = detail::Decoded(WaitFor(pid_));
        pid_ = -1;
        result.out = out_;
        result.err = err_;
        return result;
    }

private:
    // Waits for output and reads it; false once both streams have ended.
    bool ReadSome() {
        if (fds_[0].fd < 0 && fds_[1].fd < 0)
            return false;
        if (poll(fds_, 2, -1) < 0) {
            if (errno == EINTR)
                return true;
            throw std::runtime_error("poll failed");
        }
        std::string* sinks[2] = {&out_, &err_};
        for (int i = 0; i < 2; ++i) {
            if (fds_[i].fd < 0 || fds_[i].revents == 0)
                continue;
            char buffer[65536];
            const ssize_t got = read(fds_[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fds_[i].fd);
                fds_[i].fd = -1;
            }
        }
        return true;
    }

    pid_t pid_ = -1;
    pollfd fds_[2] = {{-1, 0, 0}, {-1, 0, 0}};
    std::string out_;
    std::string err_;
};

// Starts brindle-cli and returns its process id: every standard stream on /dev/null, or
// with onTerminal on that terminal, in a session of its own so that the terminal is its.
inline pid_t StartCli(const CliRun& run) {
    const std::string program = detail::ProgramOf(run);
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (!run.terminal.empty())
            setsid();
        const int fd = open(run.terminal.empty() ? "/dev/null" : run.terminal.c_str(), O_RDWR);
        if (fd < 0)
            _exit(126);
        dup2(fd, 0);
        dup2(fd, 1);
        dup2(fd, 2);
        detail::PrepareAndRun(run, program);
        _exit(127);
    }
    return pid;
}

// Kills `pid` with SIGKILL after `delay`. True when the kill cut the run short (it had
// not ended by itself before).
inline bool KillAfter(pid_t pid, std::chrono::nanoseconds delay) {
    detail::SleepFor(delay);
    kill(pid, SIGKILL);
    const int status = WaitFor(pid);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// Waits until `done` holds, for what a running program does. The limit only keeps a test
// whose program hangs from waiting for ever: false after it.
inline bool Eventually(const std::function<bool()>& done,
                       std::chrono::milliseconds limit = std::chrono::seconds(120)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// brindle-cli started with CliRun::heldAt, while it is held and after. Killed at the end
// of the scope unless it has been waited for.
class HeldCli {
public:
    explicit HeldCli(const CliRun& run) : pid_(StartCli(run)) {}
    ~HeldCli() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            WaitFor(pid_);
        }
    }
    HeldCli(const HeldCli&) = delete;
    HeldCli& operator=(const HeldCli&) = delete;

    // Waits until one of its threads is held at the system call `number` (SYS_flock,
    // say). False when it ended first. The tracer stops brindle-cli for a moment at each
    // call of that number, also at those before the one it holds: for a call that is not
    // the first of its kind, `before` tells by what the calls before it did that this
    // stop is the held one (or the end of the call just before it, which leads there).
    bool WaitUntilHeld(long number, const std::function<bool()>& before = {}) const {
        bool held = false;
        Eventually([&] {
            held = HeldAt(number) && (!before || before());
            return held || Ended();
        });
        return held;
    }
    // Lets it go on (its tracer ends, and the held call is made), then waits for its end:
    // the wait status.
    int ReleaseAndWait() {
        if (const pid_t tracer = Tracer(); tracer > 0)
            kill(tracer, SIGTERM);
        const int status = WaitFor(pid_);
        pid_ = -1;
        return status;
    }

private:
    bool Ended() const {
        siginfo_t ended{};
        return waitid(P_PID, static_cast<id_t>(pid_), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               ended.si_pid == pid_;
    }
    // A thread stopped by its tracer ('t') whose system call is `number`.
    bool HeldAt(long number) const {
        std::error_code error;
        const std::string tasks = "/proc/" + std::to_string(pid_) + "/task";
        for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
            std::ifstream stat(task.path() / "stat");
            std::string line;
            std::getline(stat, line);
            const auto close = line.rfind(')');
            if (close == std::string::npos || line.size() < close + 3 || line[close + 2] != 't')
                continue;
            std::ifstream call(task.path() / "syscall");
            long current = -1;
            if (call >> current && current == number)
                return true;
        }
        return false;
    }
    pid_t Tracer() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("TracerPid:"))
                return static_cast<pid_t>(std::stol(line.substr(10)));
        }
        return 0;
    }

    pid_t pid_;
};

// ---- What brindle-cli writes ---------------------------------------------------------

// The lines of a text, without their line ends.
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

// The status line that ends a batch's or an Undo's output.
inline std::string Status(int total, int changed, int input, int output, int exceptions) {
    return "Total files: " + std::to_string(total) +
           " | Changed files: " + std::to_string(changed) +
           " | Average Input length: " + std::to_string(input) +
           " | Average Output length: " + std::to_string(output) +
           " | Exceptions: " + std::to_string(exceptions);
}

}  // namespace brindle::testing
