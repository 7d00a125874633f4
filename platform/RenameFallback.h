#pragma once

#include "platform/PathAt.h"

namespace brindle::detail {

// The rename that never replaces, for filesystems that refuse RENAME_NOREPLACE: files
// take a new link and lose the old one (linking fails when the target exists); folders,
// and files where the filesystem has no hard links, move after a check that the target
// is free. 0 or errno.
int RenameWithoutNoReplaceFlag(const PathAt& from, const PathAt& to);

}  // namespace brindle::detail
