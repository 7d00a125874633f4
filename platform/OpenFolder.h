#pragma once

#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ItemStamp.h"

namespace brindle {

// Which file a name leads to: device and inode number.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// What lstat tells of one entry of a folder.
struct EntryStatus {
    FileIdentity identity;
    bool isFolder = false;
    bool isRegular = false;
    bool readOnly = false;  // the owner's write bit is clear
    std::int64_t size = 0;
    std::uint64_t links = 0;
};

// A folder opened once and reached through its descriptor from then on, so that a folder
// swapped for a symbolic link after it was opened can no longer redirect what is done in
// it. It also keeps what renames learn about its filesystem.
class OpenFolder {
public:
    OpenFolder();
    ~OpenFolder();
    OpenFolder(OpenFolder&& other) noexcept;
    OpenFolder& operator=(OpenFolder&& other) noexcept;
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    // The folder at `path`, with or without a final '/'; symbolic links in the path are
    // followed (they are the user's own). Paths of any length.
    static OpenFolder AtPath(std::u16string_view path);
    // The subfolder `name` of `parent`; a symbolic link there is never followed.
    static OpenFolder Child(const OpenFolder& parent, std::u16string_view name);

    bool isOpen() const { return fd_ >= 0; }
    // The errno of a failed open (ENOENT for a folder never opened).
    int error() const { return error_; }
    int fd() const { return fd_; }
    // The folder itself, from fstat when it was opened.
    const FileIdentity& identity() const { return identity_; }
    // True where an inode number names one file for good: false on filesystems whose
    // numbers change with the spelling of a name or after a remount (FAT, exFAT, FUSE,
    // network shares), and on any filesystem not known to keep them.
    bool inodesStable() const { return inodesStable_; }

    // lstat of an entry; 0 or errno.
    int Stat(std::string_view nameBytes, EntryStatus& status) const;
    int Stat(std::u16string_view name, EntryStatus& status) const;
    // The same with the entry's stamp (ItemStamp.h), which is left empty where inode
    // numbers are not stable: there they tell nothing for good.
    int StatWithStamp(std::string_view nameBytes, EntryStatus& status, ItemStamp& stamp) const;
    // The folder's own stamp, read when first asked; empty as above.
    const ItemStamp& stamp() const;

    // The entries other than "." and "..", in the order the filesystem returns them;
    // `error` as ListFolderDescriptor gives it.
    FolderListing List(int* error = nullptr) const;
    // The same, each entry handed to `visit` as the system gives it, and nothing kept.
    // 0, or the errno that ended the listing early.
    int Visit(const FolderVisitor& visit) const;

    // Removes the entry: a file or a link (or, `folder`, an empty folder). 0 or errno.
    int RemoveEntry(std::string_view nameBytes, bool folder) const;

    // Whether an entry spelled exactly `nameBytes` is in the folder's listing. The listing
    // is read once and then kept up to date by the renames and removals made through this
    // folder; changes made by others are not seen, so this may only decide whether a step
    // is worth trying, never whether something may be replaced.
    bool ListsExactly(std::string_view nameBytes) const;
    void NoteRenamedAway(std::string_view nameBytes) const;
    void NoteRenamedHere(std::string_view nameBytes) const;

    // Learned by renames: this filesystem refuses RENAME_NOREPLACE.
    bool noReplaceRefused() const { return noReplaceRefused_; }
    void setNoReplaceRefused() const { noReplaceRefused_ = true; }

private:
    static OpenFolder FromDescriptor(int fd, int error);

    struct NameSet;
    int fd_ = -1;
    int error_ = ENOENT;
    FileIdentity identity_;
    bool inodesStable_ = false;
    mutable bool noReplaceRefused_ = false;
    mutable std::unique_ptr<NameSet> names_;
    mutable std::unique_ptr<ItemStamp> stamp_;
};

// Whether inode numbers of a filesystem of this statfs type are known to be stable.
bool InodesStableOnFilesystem(std::int64_t statfsType);

// How a filesystem of this statfs type treats letter case in names.
enum class CaseRule {
    Sensitive,  // "a" and "A" are two names
    Ignored,    // one name (FAT, exFAT, NTFS, SMB shares)
    PerFolder,  // ext4 and f2fs: folders with the casefold attribute ignore case
    Unknown,    // FUSE drivers and filesystems not known here: ask the folder itself
};
CaseRule CaseRuleOfFilesystem(std::int64_t statfsType);

// Whether the folder takes names that differ only in letter case for one name. Decided
// by its filesystem's type, by the casefold attribute where a filesystem sets it per
// folder, and elsewhere by a probe: an entry of `listing` looked up with the case of its
// ASCII letters swapped is found, and that spelling is not itself listed.
bool FolderIgnoresCase(const OpenFolder& folder, const FolderListing& listing);

// The file at `path` (links followed), then every folder that really holds it, up to
// the root; empty when the file cannot be found.
std::vector<FileIdentity> FileAndFoldersAbove(std::u16string_view path);

// Lets the process hold as many folders open at once as the system allows it (the soft
// limit of open descriptors raised to the hard one): a batch ordered across a tree keeps
// each of its folders open until it ends. Called once; later calls do nothing.
void AllowManyOpenFolders();

}  // namespace brindle
