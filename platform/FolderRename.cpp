#include "platform/FolderRename.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

#include "platform/NameCodec.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace brindle {

namespace {

int RenameAt2(int fromFd, const char* from, int toFd, const char* to, unsigned int flags) {
    // Called through syscall() so that no particular C library version is needed.
    const long result = syscall(SYS_renameat2, fromFd, from, toFd, to, flags);
    return result == 0 ? 0 : errno;
}

// Removes a reservation the rename could not take the place of, but only while it is
// still the empty thing that was made.
void RemoveReservation(int folderFd, const char* name, const struct stat& made, bool folder) {
    struct stat now {};
    if (fstatat(folderFd, name, &now, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    if (now.st_dev != made.st_dev || now.st_ino != made.st_ino)
        return;
    if (folder) {
        unlinkat(folderFd, name, AT_REMOVEDIR);  // refused unless still empty
    } else if (S_ISREG(now.st_mode) && now.st_size == 0) {
        unlinkat(folderFd, name, 0);
    }
}

int RenameNoReplaceAt(const OpenFolder& from, const char* fromName, const OpenFolder& to,
                      const char* toName, RenameSteps* steps, bool toSource = false) {
    if (!from.noReplaceRefused() && !to.noReplaceRefused()) {
        const int error = RenameAt2(from.fd(), fromName, to.fd(), toName, RENAME_NOREPLACE);
        if (error != EINVAL && error != ENOSYS)
            return error;
        // EINVAL also means a folder moved into itself; the way below says so again.
        from.setNoReplaceRefused();
        to.setNoReplaceRefused();
    }
    return detail::RenameWithoutNoReplaceFlag(from, fromName, to, toName, steps, toSource);
}

// A name in the item's folder that nothing else uses.
std::string TemporaryName(std::uint64_t attempt) {
    static std::atomic<std::uint64_t> counter{0};
    char name[64];
    snprintf(name, sizeof name, ".brindle-%ld-%llu-%llu.tmp", static_cast<long>(getpid()),
             static_cast<unsigned long long>(counter.fetch_add(1)),
             static_cast<unsigned long long>(attempt));
    return name;
}

// Moves an item to a temporary name of its own folder. Nobody else uses such a name, so
// where the filesystem refuses RENAME_NOREPLACE a check that it is free suffices.
int StepAside(const OpenFolder& folder, const char* name, const char* temporary) {
    if (!folder.noReplaceRefused()) {
        const int error = RenameAt2(folder.fd(), name, folder.fd(), temporary, RENAME_NOREPLACE);
        if (error != EINVAL && error != ENOSYS)
            return error;
        folder.setNoReplaceRefused();
    }
    struct stat info {};
    if (fstatat(folder.fd(), temporary, &info, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return renameat(folder.fd(), name, folder.fd(), temporary) == 0 ? 0 : errno;
}

bool SameFolder(const OpenFolder& a, const OpenFolder& b) {
    return a.fd() == b.fd() || a.identity() == b.identity();
}

// The target "exists" but may be the item itself under another spelling (a change of
// letter case on a filesystem that ignores case), or another name of the same file.
bool MayBeOneEntry(const OpenFolder& from, const std::string& fromName, const OpenFolder& to,
                   const std::string& toName) {
    const bool sameFolder = SameFolder(from, to);
    EntryStatus source;
    EntryStatus target;
    if (from.Stat(fromName, source) != 0 || to.Stat(toName, target) != 0)
        return false;
    if (source.identity == target.identity)
        return true;
    // Some filesystems give every spelling a number of its own: when the folder holds no
    // entry spelled exactly as the target, the target's lookup found another spelling.
    return sameFolder && !(from.inodesStable() && to.inodesStable()) && !to.ListsExactly(toName);
}

// Steps aside to a free temporary name, then to the new name; goes back when the second
// step fails (the target was another entry after all).
int RenameThroughTemporary(const OpenFolder& from, const std::string& fromName,
                           const OpenFolder& to, const std::string& toName, RenameSteps* steps) {
    for (std::uint64_t attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = TemporaryName(attempt);
        // Recorded first: a kill between the two steps must not leave the item where
        // nobody would look for it.
        if (steps && !steps->BeforeTemporaryStep(DecodeName(temporary)))
            return EIO;
        const int aside = StepAside(from, fromName.c_str(), temporary.c_str());
        if (aside == EEXIST)
            continue;
        if (aside != 0)
            return aside;
        from.NoteRenamedAway(fromName);
        from.NoteRenamedHere(temporary);
        const int error = RenameNoReplaceAt(from, temporary.c_str(), to, toName.c_str(), steps);
        if (error == 0) {
            from.NoteRenamedAway(temporary);
            to.NoteRenamedHere(toName);
            return 0;
        }
        if (RenameNoReplaceAt(from, temporary.c_str(), from, fromName.c_str(), steps, true) == 0) {
            from.NoteRenamedAway(temporary);
            from.NoteRenamedHere(fromName);
        }
        return error;
    }
    return EEXIST;
}

bool IsOneComponent(const std::string& name) {
    if (name.empty())
        return false;
    for (const char c : name) {
        if (c == '/' || c == '\0')
            return false;
    }
    return true;
}

}  // namespace

int detail::RenameWithoutNoReplaceFlag(const OpenFolder& fromFolder, const char* fromName,
                                       const OpenFolder& toFolder, const char* toName,
                                       RenameSteps* steps, bool toSource) {
    const int fromFd = fromFolder.fd();
    const int toFd = toFolder.fd();
    struct stat source {};
    if (fstatat(fromFd, fromName, &source, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (!S_ISDIR(source.st_mode)) {
        if (linkat(fromFd, fromName, toFd, toName, 0) == 0) {
            if (unlinkat(fromFd, fromName, 0) == 0)
                return 0;
            const int unlinkError = errno;
            // Leave things as they were rather than with two names.
            unlinkat(toFd, toName, 0);
            return unlinkError;
        }
        const int linkError = errno;
        if (linkError != EPERM && linkError != EOPNOTSUPP && linkError != EMLINK &&
            linkError != ENOSYS) {
            return linkError;
        }
        // No hard links here: claim the target exclusively, then take the claim's place.
        if (steps)
            steps->BeforeClaim(toSource);
        const int fd =
            openat(toFd, toName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            const int error = errno;
            if (steps)
                steps->ClaimRefused(toSource);
            return error;
        }
        struct stat made {};
        const bool known = fstat(fd, &made) == 0;
        close(fd);
        if (renameat(fromFd, fromName, toFd, toName) == 0)
            return 0;
        const int error = errno;
        if (known)
            RemoveReservation(toFd, toName, made, false);
        return error;
    }
    // A folder: an empty folder claims the target, and the rename takes its place.
    if (steps)
        steps->BeforeClaim(toSource);
    if (mkdirat(toFd, toName, 0700) != 0) {
        const int error = errno;
        if (steps)
            steps->ClaimRefused(toSource);
        return error;
    }
    struct stat made {};
    const bool known = fstatat(toFd, toName, &made, AT_SYMLINK_NOFOLLOW) == 0;
    if (renameat(fromFd, fromName, toFd, toName) == 0)
        return 0;
    const int error = errno;
    if (known)
        RemoveReservation(toFd, toName, made, true);
    if (error != EPERM && error != EEXIST && error != ENOTEMPTY)
        return error;
    // This filesystem never lets a folder take another's place, and no folder may ever
    // take a file's: a plain rename cannot replace anything here.
    struct stat target {};
    if (fstatat(toFd, toName, &target, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return renameat(fromFd, fromName, toFd, toName) == 0 ? 0 : errno;
}

int RenameNoReplaceBytes(const OpenFolder& fromFolder, const std::string& fromName,
                         const OpenFolder& toFolder, const std::string& toName,
                         RenameSteps* steps) {
    if (!fromFolder.isOpen())
        return fromFolder.error();
    if (!toFolder.isOpen())
        return toFolder.error();
    if (!IsOneComponent(fromName) || !IsOneComponent(toName))
        return EINVAL;
    if (fromName == toName && SameFolder(fromFolder, toFolder)) {
        // One entry reached through two paths (a link to its folder): nothing to do.
        EntryStatus status;
        return fromFolder.Stat(fromName, status);
    }
    const int error =
        RenameNoReplaceAt(fromFolder, fromName.c_str(), toFolder, toName.c_str(), steps);
    if (error == 0) {
        fromFolder.NoteRenamedAway(fromName);
        toFolder.NoteRenamedHere(toName);
        return 0;
    }
    if (error == EEXIST && MayBeOneEntry(fromFolder, fromName, toFolder, toName))
        return RenameThroughTemporary(fromFolder, fromName, toFolder, toName, steps);
    return error;
}

int RenameNoReplace(const OpenFolder& fromFolder, std::u16string_view fromName,
                    const OpenFolder& toFolder, std::u16string_view toName, RenameSteps* steps) {
    return RenameNoReplaceBytes(fromFolder, EncodeName(fromName), toFolder, EncodeName(toName),
                                steps);
}

}  // namespace brindle
