#include "platform/PathAt.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <utility>

#include "platform/NameCodec.h"

namespace brindle::detail {

PathAt::PathAt(std::u16string_view path) : dir_(AT_FDCWD) {
    Resolve(EncodeName(path));
}

PathAt::PathAt(std::string bytes) : dir_(AT_FDCWD) {
    Resolve(std::move(bytes));
}

PathAt::~PathAt() {
    if (ownsDir_)
        close(dir_);
}

void PathAt::Resolve(std::string bytes) {
    if (bytes.find('\0') != std::string::npos) {
        // The system would see a shorter path than the one asked for.
        error_ = EINVAL;
        return;
    }
    if (bytes.empty()) {
        error_ = ENOENT;
        return;
    }
    std::string_view rest(bytes);
    while (rest.size() >= PATH_MAX) {
        // The longest leading piece that the kernel takes, cut after a '/'.
        const std::size_t slash = rest.rfind('/', PATH_MAX - 2);
        if (slash == std::string_view::npos || slash == 0) {
            error_ = ENAMETOOLONG;
            return;
        }
        const std::string piece(rest.substr(0, slash + 1));
        const int next = openat(dir_, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (next < 0) {
            error_ = errno;
            return;
        }
        if (ownsDir_)
            close(dir_);
        dir_ = next;
        ownsDir_ = true;
        rest.remove_prefix(slash + 1);
        while (!rest.empty() && rest.front() == '/')
            rest.remove_prefix(1);
    }
    // A long path ending in '/' names the folder reached last.
    name_ = rest.empty() ? std::string(".") : std::string(rest);
}

}  // namespace brindle::detail
