#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/Mp3Tag.h"

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
// name on disk, and what the file holds, read when a stage first asks for it. The views
// stay valid while the item is named.
class ItemFacts {
public:
    // `folder` ends with '/'.
    ItemFacts(std::u16string_view folder, std::u16string_view nameOnDisk)
        : folder_(folder), name_(nameOnDisk) {}

    std::u16string_view folder() const { return folder_; }
    std::u16string_view nameOnDisk() const { return name_; }
    // Whether the file is an MP3 file by its name on disk (".mp3" in any letter case),
    // whatever the stages have made of its name.
    bool isMp3() const;
    // The file's ID3v1 tag, read on the first call; empty fields when the file has none
    // or cannot be read.
    const CMp3Tag& mp3Tag() const;

private:
    std::u16string_view folder_;
    std::u16string_view name_;
    mutable std::optional<CMp3Tag> tag_;
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
