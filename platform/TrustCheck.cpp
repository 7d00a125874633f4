#include "platform/TrustCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/NameCodec.h"
#include "platform/PathAt.h"

namespace brindle {

namespace {

// The path the kernel knows for an open descriptor; empty when it cannot tell.
std::string RealPath(int fd) {
    std::string path(4096, '\0');
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    for (;;) {
        const ssize_t length = readlink(link.c_str(), path.data(), path.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            return path.starts_with('/') ? path : std::string();
        }
        path.resize(path.size() * 2);
    }
}

// "/a/b" gives "/a"; "/a" gives "/".
std::string Above(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return path.substr(0, slash);
}

// For a failing system call: its errno is taken before anything else can change it.
TrustCheck Unchecked(std::u16string path) {
    const int error = errno;
    return TrustCheck{TrustFault::Unchecked, std::move(path), 0, error};
}

TrustCheck Fault(TrustFault fault, std::u16string path, const struct stat* info = nullptr) {
    TrustCheck check;
    check.fault = fault;
    check.path = std::move(path);
    if (info)
        check.owner = static_cast<std::uint32_t>(info->st_uid);
    return check;
}

bool OwnedByUserOrRoot(const struct stat& info) {
    return info.st_uid == geteuid() || info.st_uid == 0;
}

bool WritableByOthers(const struct stat& info) {
    const bool sticky = S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) != 0;
    return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 && !sticky;
}

}  // namespace

TrustCheck CheckFoldersAbove(int folderFd) {
    std::string path = RealPath(folderFd);
    int current = openat(folderFd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (current < 0)
        return Unchecked(DecodeName(path));
    TrustCheck result;
    dev_t lastDevice = 0;
    ino_t lastInode = 0;
    for (int depth = 0; depth < 100000; ++depth) {
        struct stat info {};
        if (fstat(current, &info) != 0) {
            result = Unchecked(DecodeName(path));
            break;
        }
        // The root is its own parent.
        if (depth > 0 && info.st_dev == lastDevice && info.st_ino == lastInode)
            break;
        const std::u16string name = DecodeName(path.empty() ? std::string("?") : path);
        if (!OwnedByUserOrRoot(info)) {
            result = Fault(TrustFault::OwnedByOther, name, &info);
            break;
        }
        if (WritableByOthers(info)) {
            result = Fault(TrustFault::WritableByOthers, name, &info);
            break;
        }
        lastDevice = info.st_dev;
        lastInode = info.st_ino;
        const int parent = openat(current, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (parent < 0) {
            result = Unchecked(name);
            break;
        }
        close(current);
        current = parent;
        if (!path.empty())
            path = Above(path);
    }
    close(current);
    return result;
}

TrustCheck CheckFolderPath(std::u16string_view path) {
    const detail::PathAt at(path);
    if (at.error() != 0)
        return TrustCheck{TrustFault::Unchecked, std::u16string(path), 0, at.error()};
    const int fd = openat(at.dir(), at.name(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Unchecked(std::u16string(path));
    TrustCheck check = CheckFoldersAbove(fd);
    close(fd);
    return check;
}

TrustCheck CheckOpenFile(int fd, std::u16string_view path) {
    struct stat info {};
    if (fstat(fd, &info) != 0)
        return Unchecked(std::u16string(path));
    if (!S_ISREG(info.st_mode))
        return Fault(TrustFault::NotRegularFile, std::u16string(path), &info);
    if (!OwnedByUserOrRoot(info))
        return Fault(TrustFault::OwnedByOther, std::u16string(path), &info);
    if (WritableByOthers(info))
        return Fault(TrustFault::WritableByOthers, std::u16string(path), &info);
    return {};
}

}  // namespace brindle
