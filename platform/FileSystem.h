#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FolderListing.h"

namespace brindle {

// Every path is a UTF-16 name, encoded with the name codec at the system call. Paths of
// any length work: longer ones than the system takes at once are reached component by
// component through directory descriptors.

// lstat succeeds: something (a file, a folder, even a dangling symbolic link) is there.
bool PathExists(std::u16string_view path);

// lstat says folder: a symbolic link is never a folder.
bool IsFolderPath(std::u16string_view path);

// What `path` leads to with symbolic links followed, as for a path the user gave: 0 and
// whether it is a folder, or the errno of the failure.
int StatFollowingLinks(std::u16string_view path, bool& isFolder);

// A name that can stand as one component on this platform: not empty, not "." or "..",
// no '/' or NUL, valid UTF-16 (IsValidName16).
bool IsUsableName(std::u16string_view name);

// The entries of the folder open on `fd` (which it takes over and closes) other than "."
// and "..", in the order the filesystem returns them, all collected before the call
// returns. A folder that cannot be read gives the entries read before the failure, and
// its errno in `error` (0 when the whole folder was read), so that a failure is never
// taken for the end of the folder.
FolderListing ListFolderDescriptor(int fd, int* error = nullptr);
// Each entry of that listing as the system gives it: the name's bytes, its inode number,
// and whether it is a folder. Nothing is kept. 0, or the errno that ended the listing
// early.
using FolderVisitor =
    std::function<void(std::string_view nameBytes, std::uint64_t inode, bool isFolder)>;
int VisitFolderDescriptor(int fd, const FolderVisitor& visit);

// Up to the last `count` bytes of the file into `tail`. False when the file cannot be
// opened; true otherwise, with `tail` empty when the file is shorter than `count` (or
// is no regular file: a named pipe or a device is never waited on).
bool ReadFileTail(std::u16string_view path, std::size_t count, std::string& tail);

// Whole file as bytes; nullopt when it cannot be opened or read, or is no regular file
// (then `error`, when given, holds the errno: EISDIR for a folder, EINVAL for anything
// else that is no regular file).
std::optional<std::string> ReadFileBytes(std::u16string_view path, int* error = nullptr);

// Removes the file (not a folder) at `path`; a symbolic link there is removed, not
// followed. 0, or the errno.
int RemoveFile(std::u16string_view path);

// Which file-error text a failure shows; %1 stands for `name`.
//  ENOENT "%1 was not found."; ENOTDIR, ENAMETOOLONG, EINVAL, ELOOP "%1 contains an
//  invalid path."; EACCES, EPERM, EROFS "Access to %1 was denied."; EBUSY, ETXTBSY "A
//  sharing violation occurred while accessing %1."; EWOULDBLOCK (a lock held elsewhere)
//  "A locking violation occurred while accessing %1."; EIO "A hardware I/O error was
//  reported while accessing %1."; anything else "An unknown error occurred while
//  accessing %1."; ENOSPC, EDQUOT, EFBIG "Disk full while accessing %1.".
std::u16string FileErrorText(int error, std::u16string_view name);
bool IsDiskFullError(int error);
// The system's own words for an errno ("Permission denied").
std::u16string SystemErrorText(int error);

// The folder of /proc/self/exe, ending with '/'; empty when it cannot be found.
std::u16string ProgramFolder();
// The path of /proc/self/exe itself; empty when it cannot be found.
std::u16string ProgramPath();
bool SetCurrentFolder(std::u16string_view folder);
std::u16string CurrentFolder();  // without a final '/', except for the root; empty on failure
// The same as the system gives it, in bytes; nullopt, with errno set, when it cannot be
// found (a folder removed meanwhile, say).
std::optional<std::string> CurrentFolderBytes();

}  // namespace brindle
