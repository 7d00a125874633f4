#pragma once

// Runs the real brindle-cli as a child process and collects what it writes.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <vector>

namespace brindle::testing {

struct CliResult {
    int status = -1;  // the exit status; -1 when the child did not exit normally
    std::string out;
    std::string err;
};

struct CliRunOptions {
    std::string binary = BRINDLE_CLI_PATH;
    std::string workingDirectory;  // empty: the test's own
    std::string input;             // written to standard input
    bool inputIsTerminal = false;  // standard input is a pseudo-terminal
    rlim_t fileSizeLimit = RLIM_INFINITY;
    bool closeOutput = false;  // nobody reads standard output: a closed pipe
    // Changes to the child's environment: "NAME=value" sets, a bare "NAME" removes.
    std::vector<std::string> environment;

    CliRunOptions& withBinary(std::string path) {
        binary = std::move(path);
        return *this;
    }
    CliRunOptions& in(std::string folder) {
        workingDirectory = std::move(folder);
        return *this;
    }
    CliRunOptions& typed(std::string text, bool onTerminal) {
        input = std::move(text);
        inputIsTerminal = onTerminal;
        return *this;
    }
    CliRunOptions& limitFileSize(rlim_t bytes) {
        fileSizeLimit = bytes;
        return *this;
    }
    CliRunOptions& withOutputClosed() {
        closeOutput = true;
        return *this;
    }
    CliRunOptions& withEnvironment(std::vector<std::string> changes) {
        environment = std::move(changes);
        return *this;
    }
};

inline CliResult RunCliProcess(const std::vector<std::string>& args,
                               const CliRunOptions& options = {}) {
    std::vector<std::string> argvStrings{options.binary};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argvStrings)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int outPipe[2];
    int errPipe[2];
    int inPipe[2] = {-1, -1};
    int master = -1;
    std::string slaveName;
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    if (options.inputIsTerminal) {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            throw std::runtime_error("no pseudo-terminal");
        slaveName = ptsname(master);
    } else if (pipe2(inPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }

    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        int in = inPipe[0];
        if (options.inputIsTerminal)
            in = open(slaveName.c_str(), O_RDWR | O_NOCTTY);
        if (in < 0)
            _exit(127);
        dup2(in, 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0)
            _exit(127);
        for (const std::string& change : options.environment) {
            const auto equals = change.find('=');
            if (equals == std::string::npos)
                unsetenv(change.c_str());
            else
                setenv(change.substr(0, equals).c_str(), change.c_str() + equals + 1, 1);
        }
        if (options.fileSizeLimit != RLIM_INFINITY) {
            const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    if (options.closeOutput) {
        close(outPipe[0]);
        outPipe[0] = -1;
    }
    if (options.inputIsTerminal) {
        // The terminal keeps the typed line until the program reads it.
        if (!options.input.empty() && write(master, options.input.data(), options.input.size()) < 0)
            throw std::runtime_error("cannot type on the terminal");
    } else {
        close(inPipe[0]);
        if (!options.input.empty() &&
            write(inPipe[1], options.input.data(), options.input.size()) < 0)
            throw std::runtime_error("cannot write the input");
        close(inPipe[1]);
    }

    CliResult result;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = options.closeOutput ? 1 : 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
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
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (master >= 0)
        close(master);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The lines of a text, without their line ends.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
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

}  // namespace brindle::testing
