#pragma once

#include <functional>

#include "batch/BatchPlan.h"
#include "engine/RenameSettings.h"

namespace brindle {

// Gives every item of a whole plan its state, as apply will meet it when nothing on disk
// changes meanwhile: the batch is played through in its order over the names each
// folder holds, so that an item may take a name another item left earlier in the batch,
// but not one that is left only later. Where a folder ignores letter case, names that
// differ only in case are one name. Reads the disk (listings of folders the plan has not
// listed, the read-only bit with "Read Only" on) and changes nothing. False when
// `cancelled` said yes between two items.
bool CheckPlan(Plan& plan, const RenameSettings& options,
               const std::function<bool()>& cancelled = nullptr);

}  // namespace brindle
