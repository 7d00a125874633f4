#include "platform/HeldFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brindle {

namespace {

HeldFileKey KeyOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec),
            static_cast<std::uint32_t>(info.st_mtim.tv_nsec)};
}

}  // namespace

int LookAtHeldFile(int folderFd, std::string_view nameBytes, HeldFileKey& key) {
    key = HeldFileKey{};
    const std::string name(nameBytes);
    struct stat info {};
    if (fstatat(folderFd < 0 ? AT_FDCWD : folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (!S_ISREG(info.st_mode))
        return ENODATA;
    key = KeyOf(info);
    return 0;
}

void ReadHeldFile(int folderFd, std::string_view nameBytes, const HeldFileKey& key,
                  const HeldFactsNeeds& needs, HeldFacts& facts) {
    const std::string name(nameBytes);
    // O_NONBLOCK: should a FIFO take the file's place since it was looked at, opening it
    // does not wait for a writer; it is then refused below, unread.
    const int fd = openat(folderFd < 0 ? AT_FDCWD : folderFd, name.c_str(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        facts.problem = std::strerror(errno);
        return;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        facts.problem = std::strerror(errno);
    } else if (!S_ISREG(info.st_mode) || !(KeyOf(info) == key)) {
        facts.problem = "the file changed while it was read";
    } else {
        const auto size = static_cast<std::uint64_t>(info.st_size);
        const std::size_t slash = nameBytes.rfind('/');
        const std::string_view leaf =
            slash == std::string_view::npos ? nameBytes : nameBytes.substr(slash + 1);
        bool read = false;
        std::string problem;
        if (needs.photo || !needs.photoKeys.empty()) {
            read = ReadPhotoFacts(fd, size, needs, facts) || read;
            problem = facts.problem;
        }
        if (needs.audio) {
            facts.problem.clear();
            read = ReadAudioTags(fd, size, leaf, facts) || read;
            if (problem.empty())
                problem = facts.problem;
        }
        // One reader finding what it knows is enough: a photo is no audio file.
        facts.problem = read ? std::string() : problem;
    }
    close(fd);
}

}  // namespace brindle
