#include "platform/Descriptors.h"

#include <errno.h>
#include <unistd.h>

namespace brindle {

bool IsTerminal(int fd) {
    return isatty(fd) == 1;
}

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

std::string ReadLine(int fd) {
    std::string line;
    char c = 0;
    for (;;) {
        const ssize_t got = read(fd, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || c == '\n')
            break;
        line += c;
    }
    return line;
}

}  // namespace brindle
