#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Descriptors.h"

namespace brindle {
namespace {

class Pipe {
public:
    Pipe() { EXPECT_EQ(pipe2(fds_, O_CLOEXEC), 0); }
    ~Pipe() {
        CloseWriter();
        close(fds_[0]);
    }
    int reader() const { return fds_[0]; }
    int writer() const { return fds_[1]; }
    void CloseWriter() {
        if (fds_[1] >= 0)
            close(fds_[1]);
        fds_[1] = -1;
    }

private:
    int fds_[2] = {-1, -1};
};

// Each line is taken alone, what follows it stays for the next reader, and the end of
// the input ends the last line.
TEST(DescriptorsTest, LinesAreReadOneAtATime) {
    Pipe pipe;
    ASSERT_EQ(WriteAll(pipe.writer(), "yes\n  No \n\nlast"), 0);
    pipe.CloseWriter();
    const std::vector<std::string> expected = {"yes", "  No ", "", "last", ""};
    for (const std::string& line : expected)
        EXPECT_EQ(ReadLine(pipe.reader()), line);
}

TEST(DescriptorsTest, WritesEverythingOrSaysWhy) {
    Pipe pipe;
    // More than a pipe holds at once, read by the test as it goes.
    const std::string big(1 << 20, 'x');
    const pid_t reader = fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
        pipe.CloseWriter();
        std::string all;
        char buffer[4096];
        for (ssize_t got; (got = ::read(pipe.reader(), buffer, sizeof buffer)) > 0;)
            all.append(buffer, static_cast<std::size_t>(got));
        _exit(all == big ? 0 : 1);
    }
    EXPECT_EQ(WriteAll(pipe.writer(), big), 0);
    pipe.CloseWriter();
    int status = 0;
    ASSERT_EQ(waitpid(reader, &status, 0), reader);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(WriteAll(-1, "x"), EBADF);
    EXPECT_EQ(WriteAll(-1, ""), 0);
}

TEST(DescriptorsTest, OnlyATerminalIsOne) {
    Pipe pipe;
    EXPECT_FALSE(IsTerminal(pipe.reader()));
    EXPECT_FALSE(IsTerminal(-1));
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(terminal, 0);
    EXPECT_TRUE(IsTerminal(terminal));
    close(terminal);
    close(master);
}

}  // namespace
}  // namespace brindle
