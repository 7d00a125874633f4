#pragma once

#include <string>
#include <string_view>

#include "platform/OpenFolder.h"

namespace brindle {

// Told of the steps a rename takes beyond its one system call, so that a log can lead
// the way back from whatever moment a kill cuts the rename at.
class RenameSteps {
public:
    virtual ~RenameSteps() = default;
    // The item is about to step aside to `temporaryName` in its own folder. False: the
    // step could not be recorded; it is not taken and the rename fails.
    virtual bool BeforeTemporaryStep(std::u16string_view temporaryName) = 0;
    // An empty file or folder is about to claim the rename's target (`atSource`: the
    // item's own old name, as the item goes back there after a failed step), for the
    // rename that is to take its place where the filesystem refuses RENAME_NOREPLACE.
    // ClaimRefused follows at once when nothing could be made (the name is taken).
    virtual void BeforeClaim(bool atSource) = 0;
    virtual void ClaimRefused(bool atSource) = 0;
};

// Renames or moves `fromName` of `fromFolder` to `toName` of `toFolder` and never
// replaces anything: renameat2(RENAME_NOREPLACE) between the two descriptors, or, where
// the filesystem refuses the flag, a hard link and an unlink (files), an exclusive
// reservation of the target that the rename then takes the place of (files without hard
// links; folders). A change of letter case alone goes through a temporary name when the
// filesystem takes both spellings for one entry: where inode numbers are stable when
// both lead to one file, elsewhere when the folder's listing does not hold the new
// spelling. Returns 0 or the errno of the failure (EEXIST when the target exists).
int RenameNoReplace(const OpenFolder& fromFolder, std::u16string_view fromName,
                    const OpenFolder& toFolder, std::u16string_view toName,
                    RenameSteps* steps = nullptr);
int RenameNoReplaceBytes(const OpenFolder& fromFolder, const std::string& fromName,
                         const OpenFolder& toFolder, const std::string& toName,
                         RenameSteps* steps = nullptr);

namespace detail {
// The way taken where the filesystem refuses RENAME_NOREPLACE. 0 or errno.
int RenameWithoutNoReplaceFlag(const OpenFolder& fromFolder, const char* fromName,
                               const OpenFolder& toFolder, const char* toName,
                               RenameSteps* steps = nullptr, bool toSource = false);
}  // namespace detail

}  // namespace brindle
