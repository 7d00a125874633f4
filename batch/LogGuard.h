#pragma once

#include <string_view>
#include <vector>

#include "platform/OpenFolder.h"

namespace brindle {

// The log, and every folder that holds it up to the root, found by identity so that no
// link or second path can hide them: a batch never renames or moves any of them, or
// Undo would no longer find the log.
class LogGuard {
public:
    // Looks the log up again; a missing log guards nothing.
    void Refresh(std::u16string_view logPath) { identities_ = FileAndFoldersAbove(logPath); }
    void Clear() { identities_.clear(); }
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
