#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/Mp3Tag.h"
#include "platform/HeldFacts.h"
#include "platform/ItemTimes.h"
#include "platform/WallClock.h"

namespace brindle {

// What the stages carry from one item to the next: the pattern's running number and
// letter, and the last symbol count (column "#" keeps showing it while "# of Symbols"
// is off). They carry on from batch to batch.
struct NameCounters {
    std::int32_t startIndex = 0;
    char16_t letter = u'a';
    std::int32_t symbolCount = 0;
    bool operator==(const NameCounters&) const = default;
};

// What the stages know of an item besides the name they are building: its folder, its
// name on disk, its times and what the file holds, read when a stage first asks for them,
// and the batch's start. The views stay valid while the item is named.
class ItemFacts {
public:
    // `folder` ends with '/'. `folderFd` is the folder open as the batch's walk met it, -1
    // to reach the item by its path; `batchStart` is the moment the batch (or the
    // Preview's plan) began, nullopt for the clock's time when first asked.
    ItemFacts(std::u16string_view folder, std::u16string_view nameOnDisk, int folderFd = -1,
              std::optional<WallTime> batchStart = std::nullopt)
        : folder_(folder), name_(nameOnDisk), folderFd_(folderFd), batchStart_(batchStart) {}

    std::u16string_view folder() const { return folder_; }
    std::u16string_view nameOnDisk() const { return name_; }
    // Whether the file is an MP3 file by its name on disk (".mp3" in any letter case),
    // whatever the stages have made of its name.
    bool isMp3() const;
    // The file's ID3v1 tag, read on the first call; empty fields when the file has none
    // or cannot be read.
    const CMp3Tag& mp3Tag() const;
    // The item's times, from one statx on the first call (a link's own); empty where it
    // cannot be looked at.
    const ItemTimes& times() const;
    WallTime batchStart() const;

    // What the file holds inside it, read once for what the batch's pattern asks for
    // (setNeeds) and for `wanted`, or as handed over by setHeld; its problem says why
    // nothing could be read.
    const HeldFacts& held(const HeldFactsNeeds& wanted) const;
    // What the batch reads from every item's file: all its pattern's tokens ask for, so
    // that the first token read serves them all. Outlives the item.
    void setNeeds(const HeldFactsNeeds* needs) { needs_ = needs; }
    // Facts read ahead for the item (on another thread), read for needs that cover what
    // setNeeds asked for.
    void setHeld(std::shared_ptr<const HeldFacts> facts, const HeldFactsNeeds& readFor) const;

    // The item's place in the batch's order and in its folder's, from 1 ({n}). The
    // batch sets them as it names the item; an item named alone is the first of both.
    void setPosition(std::int64_t inBatch, std::int64_t inFolder) {
        batchPosition_ = inBatch;
        folderPosition_ = inFolder;
    }
    std::int64_t batchPosition() const { return batchPosition_; }
    std::int64_t folderPosition() const { return folderPosition_; }

    // The pattern notes here each of its token groups that had no value for the item
    // ("{created}"), once each; noValue() lists them, ", " between.
    void NoteNoValue(std::u16string_view group) const;
    const std::u16string& noValue() const { return noValue_; }

private:
    std::u16string_view folder_;
    std::u16string_view name_;
    int folderFd_ = -1;
    mutable std::optional<WallTime> batchStart_;
    mutable std::optional<CMp3Tag> tag_;
    mutable std::optional<ItemTimes> times_;
    const HeldFactsNeeds* needs_ = nullptr;
    mutable std::shared_ptr<const HeldFacts> held_;
    mutable HeldFactsNeeds heldFor_;
    mutable std::u16string noValue_;
    std::int64_t batchPosition_ = 1;
    std::int64_t folderPosition_ = 1;
};

// One stage of the name chain, made for a batch from its options. A stage may keep
// scratch space from item to item, so a chain names the items of one thread only.
class NameStage {
public:
    virtual ~NameStage() = default;
    // Turns `name`, as the stages before left it, into this stage's result.
    virtual void Apply(std::u16string& name, const ItemFacts& item,
                       NameCounters& counters) const = 0;
};

}  // namespace brindle
