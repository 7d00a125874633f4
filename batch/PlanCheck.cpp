#include "batch/PlanCheck.h"

#include <bit>
#include <deque>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "batch/ItemRules.h"
#include "engine/CaseConversion.h"
#include "platform/FileSystem.h"
#include "platform/MountTable.h"
#include "platform/NameCodec.h"
#include "platform/OpenFolder.h"

namespace brindle {

namespace {

// The names the folders of a plan hold while the batch is played through: a flat hash
// table of indices into a list of names, each a key (the name, or its folded form where
// the folder ignores case) in a folder, held by an item or by an entry that is none.
class FolderNames {
public:
    struct Name {
        std::u16string_view key;
        std::uint32_t folder = 0;
        std::uint32_t item = kNoIndex;  // kNoIndex: an entry that is no item
        bool isNew = false;             // the item's new name, taken during the batch
    };

    explicit FolderNames(std::size_t expected) {
        const std::size_t capacity = std::bit_ceil(std::max<std::size_t>(16, expected * 2));
        slots_.resize(capacity);
        mask_ = capacity - 1;
        names_.reserve(expected);
    }

    Name& name(std::uint32_t index) { return names_[index]; }

    // The index of the name, or kNoIndex.
    std::uint32_t Find(std::uint32_t folder, std::u16string_view key) const {
        const std::uint64_t hash = Hash(folder, key);
        for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
            const Slot& slot = slots_[at];
            if (slot.index == kEmpty)
                return kNoIndex;
            if (slot.index != kErased && slot.hash == static_cast<std::uint32_t>(hash >> 32)) {
                const Name& name = names_[slot.index - 1];
                if (name.folder == folder && name.key == key)
                    return slot.index - 1;
            }
        }
    }

    // Adds a name that Find did not find; its index.
    std::uint32_t Add(const Name& name) {
        // Grows long before probing gets slow; the size is usually known beforehand.
        if ((used_ + 1) * 2 > slots_.size())
            Grow();
        names_.push_back(name);
        const auto index = static_cast<std::uint32_t>(names_.size() - 1);
        Place(index);
        return index;
    }

    void Erase(std::uint32_t index) {
        const Name& name = names_[index];
        const std::uint64_t hash = Hash(name.folder, name.key);
        for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
            Slot& slot = slots_[at];
            if (slot.index == kEmpty)
                return;
            if (slot.index == index + 1) {
                slot.index = kErased;
                return;
            }
        }
    }

private:
    static constexpr std::uint32_t kEmpty = 0;
    static constexpr std::uint32_t kErased = 0xFFFFFFFFu;
    struct Slot {
        std::uint32_t hash = 0;   // the upper half of the name's hash
        std::uint32_t index = 0;  // the name's index + 1, kEmpty or kErased
    };

    static std::uint64_t Hash(std::uint32_t folder, std::u16string_view key) {
        std::uint64_t hash = std::hash<std::u16string_view>{}(key);
        hash ^= (std::uint64_t{folder} + 1) * 0x9E3779B97F4A7C15ull;
        hash ^= hash >> 29;
        hash *= 0xBF58476D1CE4E5B9ull;
        hash ^= hash >> 32;
        return hash;
    }

    void Place(std::uint32_t index) {
        const Name& name = names_[index];
        const std::uint64_t hash = Hash(name.folder, name.key);
        for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
            Slot& slot = slots_[at];
            if (slot.index == kEmpty) {
                slot = Slot{static_cast<std::uint32_t>(hash >> 32), index + 1};
                ++used_;
                return;
            }
        }
    }

    void Grow() {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.resize(old.size() * 2);
        mask_ = slots_.size() - 1;
        used_ = 0;
        for (const Slot& slot : old) {
            if (slot.index != kEmpty && slot.index != kErased)
                Place(slot.index - 1);
        }
    }

    std::vector<Slot> slots_;
    std::vector<Name> names_;
    std::size_t mask_ = 0;
    std::size_t used_ = 0;
};

// What the check learns of each folder of the plan that it did not list itself.
struct FolderState {
    bool needed = false;
    FolderListing listing;  // for folders the planner did not list
};

class Checker {
public:
    Checker(Plan& plan, const RenameSettings& options) : plan_(plan), settings_(options) {}

    bool Run(const std::function<bool()>& cancelled) {
        std::size_t expected = plan_.items.size() * 2;
        folders_.resize(plan_.folders.size());
        for (const PlanItem& item : plan_.items) {
            folders_[item.folder].needed = true;
            folders_[item.newFolder].needed = true;
        }
        for (std::uint32_t f = 0; f < plan_.folders.size(); ++f) {
            if (!folders_[f].needed)
                continue;
            PlanFolder& folder = plan_.folders[f];
            if (folder.listed) {
                expected += folder.others.size();
                continue;
            }
            // Listed now, with its letter-case rule.
            const OpenFolder open = OpenFolder::AtPath(folder.path);
            folders_[f].listing = open.List();
            folder.ignoresCase = FolderIgnoresCase(open, folders_[f].listing);
            folder.caseKnown = true;
            expected += folders_[f].listing.size();
        }

        FolderNames names(expected);
        // What each folder holds before the batch.
        for (std::uint32_t f = 0; f < plan_.folders.size(); ++f) {
            if (!folders_[f].needed)
                continue;
            const PlanFolder& folder = plan_.folders[f];
            if (folder.listed) {
                for (const std::u16string& other : folder.others)
                    AddExisting(names, f, other);
            } else {
                for (const FolderEntry& entry : folders_[f].listing)
                    AddExisting(names, f, entry.name);
            }
        }
        std::vector<std::uint32_t> held(plan_.items.size(), kNoIndex);
        for (std::uint32_t i = 0; i < plan_.items.size(); ++i) {
            PlanItem& item = plan_.items[i];
            // An item may be warned of before its turn, by a later one that takes its name;
            // what naming it found stays.
            item.warnings &= static_cast<std::uint8_t>(PlanWarning::NoValue);
            if (item.unreadableFolder()) {
                item.state = PlanState::Unreadable;
                continue;
            }
            const std::u16string_view key = Key(item.folder, item.oldName);
            const std::uint32_t found = names.Find(item.folder, key);
            if (plan_.folders[item.folder].listed) {
                if (found == kNoIndex) {
                    held[i] = names.Add({key, item.folder, i, false});
                } else if (names.name(found).item == kNoIndex) {
                    // A dropped folder that its walked parent lists among its entries.
                    names.name(found).item = i;
                    held[i] = found;
                }
            } else if (found == kNoIndex) {
                item.state = PlanState::Missing;
            } else if (names.name(found).item == kNoIndex) {
                names.name(found).item = i;
                held[i] = found;
            }
        }

        // The batch played through in its order.
        std::vector<std::u16string> renamedFolders;
        std::uint32_t statFolder = kNoIndex;
        std::optional<OpenFolder> statOpen;
        for (std::uint32_t i = 0; i < plan_.items.size(); ++i) {
            if (cancelled && (i & 255) == 0 && cancelled())
                return false;
            PlanItem& item = plan_.items[i];
            // What the batch will find of the item, from the listings and the items
            // renamed before it.
            struct Facts {
                Checker& checker;
                const PlanItem& item;
                const std::vector<std::u16string>& renamedFolders;
                std::uint32_t& statFolder;
                std::optional<OpenFolder>& statOpen;

                PlanState Absent() const {
                    if (item.state == PlanState::Missing)
                        return PlanState::Missing;
                    if (item.droppedFolder() &&
                        UnderRenamedFolder(checker.plan_.folderOf(item), renamedFolders))
                        return PlanState::FolderMovedAway;
                    return PlanState::Pending;
                }
                bool LosesContents() const {
                    return checker.mounts_.FolderRenamesLoseContents(
                        OpenFolder::AtPath(checker.plan_.folderOf(item)).identity().device);
                }
                bool ReadOnly() const {
                    if (statFolder != item.folder) {
                        statFolder = item.folder;
                        statOpen.emplace(OpenFolder::AtPath(checker.plan_.folderOf(item)));
                    }
                    EntryStatus status;
                    return statOpen->Stat(item.oldName, status) == 0 && status.readOnly;
                }
            };
            item.state = JudgeItem(item, settings_,
                                   Facts{*this, item, renamedFolders, statFolder, statOpen});
            if (BecomesHidden(item))
                item.Warn(PlanWarning::Hidden);
            if (item.state != PlanState::Rename)
                continue;
            const std::u16string_view target = Key(item.newFolder, item.newName);
            if (item.newFolder == item.folder && held[i] != kNoIndex &&
                names.name(held[i]).key == target) {
                // The same entry under another spelling where the folder ignores case.
                item.state = PlanState::Rename;
                continue;
            }
            const std::uint32_t taken = names.Find(item.newFolder, target);
            if (taken != kNoIndex) {
                const FolderNames::Name& holder = names.name(taken);
                item.state = holder.isNew ? PlanState::TwoAimAtOneName : PlanState::TargetExists;
                item.other = holder.item;
                if (plan_.patternWithoutCounter && holder.item != kNoIndex &&
                    GetsName(plan_.items[holder.item], item.newFolder, target)) {
                    // Both are given the name: the pattern made it, and it counts nothing.
                    item.Warn(PlanWarning::NoCounter);
                    plan_.items[holder.item].Warn(PlanWarning::NoCounter);
                }
                continue;
            }
            item.state = PlanState::Rename;
            if (held[i] != kNoIndex)
                names.Erase(held[i]);
            names.Add({target, item.newFolder, i, true});
            if (item.droppedFolder())
                renamedFolders.push_back(plan_.folderOf(item) + item.oldName + u'/');
        }
        return true;
    }

private:
    // A new name that begins with '.' and has no other, given to an item whose name did
    // not begin with '.': the item would vanish from sight, its name cut to the extension.
    static bool BecomesHidden(const PlanItem& item) {
        const std::u16string& name = item.newName;
        return item.changed() && !item.unreadableFolder() && name.size() > 1 &&
               name.front() == u'.' && name.find(u'.', 1) == std::u16string::npos &&
               !item.oldName.starts_with(u'.');
    }

    // Whether `item` ends up with the name `key` in `folder`: the item that took it first
    // in the batch, or one that holds it and keeps it.
    bool GetsName(const PlanItem& item, std::uint32_t folder, std::u16string_view key) {
        return item.newFolder == folder && Key(folder, item.newName) == key;
    }

    // The name as the folder compares it.
    std::u16string_view Key(std::uint32_t folder, std::u16string_view name) {
        if (!plan_.folders[folder].ignoresCase)
            return name;
        folded_.push_back(CaseFolded(name));
        return folded_.back();
    }

    void AddExisting(FolderNames& names, std::uint32_t folder, std::u16string_view name) {
        const std::u16string_view key = Key(folder, name);
        if (names.Find(folder, key) == kNoIndex)
            names.Add({key, folder, kNoIndex, false});
    }

    static bool UnderRenamedFolder(const std::u16string& path,
                                   const std::vector<std::u16string>& renamed) {
        for (const std::u16string& folder : renamed) {
            if (path.starts_with(folder))
                return true;
        }
        return false;
    }

    Plan& plan_;
    const RenameSettings& settings_;
    std::vector<FolderState> folders_;
    MountTable mounts_;
    // Folded keys of folders that ignore case; a deque keeps them where they are.
    std::deque<std::u16string> folded_;
};

}  // namespace

bool CheckPlan(Plan& plan, const RenameSettings& options, const std::function<bool()>& cancelled) {
    return Checker(plan, options).Run(cancelled);
}

}  // namespace brindle
