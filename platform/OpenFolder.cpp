#include "platform/OpenFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <unordered_set>
#include <utility>

#include "platform/NameCodec.h"
#include "platform/PathAt.h"

namespace brindle {

struct OpenFolder::NameSet {
    std::unordered_set<std::string> names;
};

bool InodesStableOnFilesystem(std::int64_t statfsType) {
    switch (static_cast<std::uint32_t>(statfsType)) {
        case 0xEF53u:      // ext2, ext3, ext4
        case 0x01021994u:  // tmpfs
        case 0x858458F6u:  // ramfs
        case 0x9123683Eu:  // btrfs
        case 0x58465342u:  // xfs
        case 0xF2F52010u:  // f2fs
        case 0x2FC12FC1u:  // zfs
        case 0x52654973u:  // reiserfs
        case 0x3153464Au:  // jfs
        case 0xCA451A4Eu:  // bcachefs
        case 0x6969u:      // nfs
            return true;
        default:
            // FAT and exFAT renumber after a remount, FUSE drivers give each spelling
            // a number of its own, network shares may make numbers up: not trusted.
            return false;
    }
}

CaseRule CaseRuleOfFilesystem(std::int64_t statfsType) {
    switch (static_cast<std::uint32_t>(statfsType)) {
        case 0x4D44u:      // vfat, msdos
        case 0x2011BAB0u:  // exfat
        case 0x7366746Eu:  // ntfs3
        case 0x5346544Eu:  // ntfs
        case 0xFF534D42u:  // cifs
        case 0xFE534D42u:  // smb2
        case 0x517Bu:      // smb
            return CaseRule::Ignored;
        case 0xEF53u:      // ext4
        case 0xF2F52010u:  // f2fs
            return CaseRule::PerFolder;
        case 0x01021994u:  // tmpfs (casefolding tmpfs mounts are new and rare)
        case 0x858458F6u:  // ramfs
        case 0x9123683Eu:  // btrfs
        case 0x58465342u:  // xfs
        case 0x2FC12FC1u:  // zfs
        case 0x52654973u:  // reiserfs
        case 0x3153464Au:  // jfs
        case 0xCA451A4Eu:  // bcachefs
        case 0x6969u:      // nfs
        case 0x794C7630u:  // overlayfs
        case 0x9FA0u:      // proc
            return CaseRule::Sensitive;
        default:
            return CaseRule::Unknown;
    }
}

namespace {

#ifndef FS_CASEFOLD_FL
#define FS_CASEFOLD_FL 0x40000000
#endif

bool HasCasefoldAttribute(const OpenFolder& folder) {
    // The attribute is read through a descriptor that may read the folder.
    const int fd = openat(folder.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    long flags = 0;
    const bool casefold = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL) != 0;
    close(fd);
    return casefold;
}

std::string SwappedAsciiCase(const std::string& name) {
    std::string swapped = name;
    for (char& c : swapped) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return swapped;
}

bool ProbeIgnoresCase(const OpenFolder& folder, const FolderListing& listing) {
    std::unordered_set<std::string> spelled;
    int tries = 0;
    for (const FolderEntry& entry : listing) {
        const std::string name = EncodeName(entry.name);
        const std::string swapped = SwappedAsciiCase(name);
        if (swapped == name)
            continue;
        if (spelled.empty()) {
            for (const FolderEntry& other : listing)
                spelled.insert(EncodeName(other.name));
        }
        // Two entries that differ only in case: the folder tells them apart.
        if (spelled.contains(swapped))
            return false;
        struct stat info {};
        if (fstatat(folder.fd(), swapped.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
            return true;
        // Anything but "not there" says nothing; a few entries are asked at most.
        if (errno == ENOENT || ++tries == 4)
            return false;
    }
    return false;
}

}  // namespace

bool FolderIgnoresCase(const OpenFolder& folder, const FolderListing& listing) {
    if (!folder.isOpen())
        return false;
    struct statfs fs {};
    if (fstatfs(folder.fd(), &fs) != 0)
        return false;
    switch (CaseRuleOfFilesystem(fs.f_type)) {
        case CaseRule::Sensitive:
            return false;
        case CaseRule::Ignored:
            return true;
        case CaseRule::PerFolder:
            return HasCasefoldAttribute(folder);
        case CaseRule::Unknown:
            return ProbeIgnoresCase(folder, listing);
    }
    return false;
}

OpenFolder::OpenFolder() = default;

OpenFolder::~OpenFolder() {
    if (fd_ >= 0)
        close(fd_);
}

OpenFolder::OpenFolder(OpenFolder&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      error_(other.error_),
      identity_(other.identity_),
      inodesStable_(other.inodesStable_),
      noReplaceRefused_(other.noReplaceRefused_),
      names_(std::move(other.names_)),
      stamp_(std::move(other.stamp_)) {}

OpenFolder& OpenFolder::operator=(OpenFolder&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
        identity_ = other.identity_;
        inodesStable_ = other.inodesStable_;
        noReplaceRefused_ = other.noReplaceRefused_;
        names_ = std::move(other.names_);
        stamp_ = std::move(other.stamp_);
    }
    return *this;
}

OpenFolder OpenFolder::FromDescriptor(int fd, int error) {
    OpenFolder folder;
    if (fd < 0) {
        folder.error_ = error;
        return folder;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        folder.error_ = errno;
        close(fd);
        return folder;
    }
    folder.fd_ = fd;
    folder.error_ = 0;
    folder.identity_ = {static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
    struct statfs fs {};
    folder.inodesStable_ = fstatfs(fd, &fs) == 0 && InodesStableOnFilesystem(fs.f_type);
    return folder;
}

OpenFolder OpenFolder::AtPath(std::u16string_view path) {
    const detail::PathAt at(path);
    if (at.error() != 0)
        return FromDescriptor(-1, at.error());
    // O_PATH: renaming in a folder needs no right to read it.
    const int fd = openat(at.dir(), at.name(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return FromDescriptor(fd, errno);
}

OpenFolder OpenFolder::Child(const OpenFolder& parent, std::u16string_view name) {
    if (!parent.isOpen())
        return FromDescriptor(-1, parent.error());
    const std::string bytes = EncodeName(name);
    if (bytes.empty() || bytes.find_first_of(std::string_view("/\0", 2)) != std::string::npos)
        return FromDescriptor(-1, EINVAL);
    const int fd =
        openat(parent.fd(), bytes.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return FromDescriptor(fd, errno);
}

int OpenFolder::Stat(std::string_view nameBytes, EntryStatus& status) const {
    if (fd_ < 0)
        return error_;
    const std::string name(nameBytes);
    struct stat info {};
    if (fstatat(fd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    status.identity = {static_cast<std::uint64_t>(info.st_dev),
                       static_cast<std::uint64_t>(info.st_ino)};
    status.isFolder = S_ISDIR(info.st_mode);
    status.isRegular = S_ISREG(info.st_mode);
    status.readOnly = (info.st_mode & S_IWUSR) == 0;
    status.size = static_cast<std::int64_t>(info.st_size);
    status.links = static_cast<std::uint64_t>(info.st_nlink);
    return 0;
}

int OpenFolder::Stat(std::u16string_view name, EntryStatus& status) const {
    return Stat(EncodeName(name), status);
}

int OpenFolder::StatWithStamp(std::string_view nameBytes, EntryStatus& status,
                              ItemStamp& stamp) const {
    if (fd_ < 0)
        return error_;
    if (!inodesStable_) {
        stamp = ItemStamp{};
        return Stat(nameBytes, status);
    }
    return StampEntry(fd_, nameBytes, status, stamp);
}

const ItemStamp& OpenFolder::stamp() const {
    if (!stamp_) {
        stamp_ = std::make_unique<ItemStamp>();
        EntryStatus status;
        if (fd_ >= 0 && inodesStable_ && StampEntry(fd_, {}, status, *stamp_) != 0)
            *stamp_ = ItemStamp{};
    }
    return *stamp_;
}

FolderListing OpenFolder::List(int* error) const {
    if (fd_ < 0) {
        if (error)
            *error = error_;
        return {};
    }
    // A descriptor of its own: the listing must start at the beginning whatever was
    // read through ours before.
    const int fd = openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = errno;
        return {};
    }
    return ListFolderDescriptor(fd, error);
}

int OpenFolder::Visit(const FolderVisitor& visit) const {
    if (fd_ < 0)
        return error_;
    const int fd = openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    return VisitFolderDescriptor(fd, visit);
}

int OpenFolder::RemoveEntry(std::string_view nameBytes, bool folder) const {
    if (fd_ < 0)
        return error_;
    const std::string name(nameBytes);
    if (unlinkat(fd_, name.c_str(), folder ? AT_REMOVEDIR : 0) != 0)
        return errno;
    NoteRenamedAway(nameBytes);
    return 0;
}

bool OpenFolder::ListsExactly(std::string_view nameBytes) const {
    if (fd_ < 0)
        return false;
    if (!names_) {
        names_ = std::make_unique<NameSet>();
        for (const FolderEntry& entry : List())
            names_->names.insert(EncodeName(entry.name));
    }
    return names_->names.contains(std::string(nameBytes));
}

void OpenFolder::NoteRenamedAway(std::string_view nameBytes) const {
    if (names_)
        names_->names.erase(std::string(nameBytes));
}

void OpenFolder::NoteRenamedHere(std::string_view nameBytes) const {
    if (names_)
        names_->names.insert(std::string(nameBytes));
}

std::vector<FileIdentity> FileAndFoldersAbove(std::u16string_view path) {
    std::vector<FileIdentity> identities;
    const detail::PathAt at(path);
    if (at.error() != 0)
        return identities;
    const int fd = openat(at.dir(), at.name(), O_PATH | O_CLOEXEC);
    if (fd < 0)
        return identities;
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        close(fd);
        return identities;
    }
    identities.push_back(
        {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)});
    // Where the file really lies, whatever links the path went through.
    std::string real(4096, '\0');
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    for (;;) {
        const ssize_t length = readlink(link.c_str(), real.data(), real.size());
        if (length < 0) {
            real.clear();
            break;
        }
        if (static_cast<std::size_t>(length) < real.size()) {
            real.resize(static_cast<std::size_t>(length));
            break;
        }
        real.resize(real.size() * 2);
    }
    close(fd);
    const auto slash = real.rfind('/');
    if (real.empty() || real.front() != '/' || slash == std::string::npos)
        return identities;
    OpenFolder folder = OpenFolder::AtPath(DecodeName(real.substr(0, slash + 1)));
    // Upwards through "..", which is never a link, until the root is its own parent.
    for (int depth = 0; folder.isOpen() && depth < 100000; ++depth) {
        if (identities.size() > 1 && identities.back() == folder.identity())
            break;
        identities.push_back(folder.identity());
        folder = OpenFolder::Child(folder, u"..");
    }
    return identities;
}

void AllowManyOpenFolders() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct rlimit limit {};
        // Nothing here uses select(), which a descriptor above 1023 would break.
        if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
            limit.rlim_cur = limit.rlim_max;
            setrlimit(RLIMIT_NOFILE, &limit);
        }
    });
}

}  // namespace brindle
