#pragma once

#include <string_view>
#include <vector>

#include "engine/PathParts.h"
#include "platform/OpenFolder.h"

namespace brindle {

// The log, and every folder that holds it up to the root, found by identity so that no
// link or second path can hide them: a batch never renames or moves any of them, or
// Undo would no longer find the log.
class LogGuard {
public:
    // Looks the log up again. A missing log guards nothing, unless the batch is to write it:
    // then the folders it will lie in are guarded already.
    void Refresh(std::u16string_view logPath, bool toBeWritten) {
        identities_ = FileAndFoldersAbove(logPath);
        if (identities_.empty() && toBeWritten)
            identities_ = FileAndFoldersAbove(DirectoryPart(logPath));
    }
    bool active() const { return !identities_.empty(); }
    bool Guards(const FileIdentity& item) const {
        for (const FileIdentity& identity : identities_) {
            if (identity == item)
                return true;
        }
        return false;
    }

private:
    std::vector<FileIdentity> identities_;
};

}  // namespace brindle
