#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindle {

// Whether a file could have been written by someone other than the user running Brindle,
// as an SSH server asks of a key file: the file and every folder that really holds it,
// up to the root, must belong to that user (the effective one) or to root, and must not
// be writable by group or others; a folder with the sticky bit (/tmp) may be, since
// there nobody may remove or rename what another user made.
enum class TrustFault : std::uint8_t {
    None,
    OwnedByOther,      // belongs to another user
    WritableByOthers,  // group or others may write it
    SymbolicLink,      // a symbolic link stands at the file's path; it is never followed
    NotRegularFile,    // a folder, a pipe or a device stands at the file's path
    NotALog,           // the file is not what the caller writes (told by the caller)
    Unchecked,         // a folder above could not be looked at; `error` says why
};

struct TrustCheck {
    TrustFault fault = TrustFault::None;
    std::u16string path;      // the file or folder at fault
    std::uint32_t owner = 0;  // its owner, for OwnedByOther
    int error = 0;            // for Unchecked
    bool trusted() const { return fault == TrustFault::None; }
};

// The folder open on `folderFd` (an O_PATH descriptor will do) and every folder above it,
// each reached through ".." from the one below, so that what is checked is what holds
// the file, whatever links a path went through.
TrustCheck CheckFoldersAbove(int folderFd);
// The same for the folder at `path` (links in the path followed).
TrustCheck CheckFolderPath(std::u16string_view path);
// What fstat says of a file open on `fd`: a regular file of the user's or root's that
// group and others may not write. `path` names it in the result.
TrustCheck CheckOpenFile(int fd, std::u16string_view path);

}  // namespace brindle
