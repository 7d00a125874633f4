#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/ConfigFile.h"
#include "engine/RenameOptions.h"

namespace brindle {

// What the chain carries from one item to the next: the pattern's running number and
// letter, and the last symbol count (column "#" keeps showing it while "# of Symbols"
// is off). They carry on from batch to batch.
struct NameCounters {
    std::int32_t startIndex = 0;
    char16_t letter = u'a';
    std::int32_t symbolCount = 0;
    bool operator==(const NameCounters&) const = default;
};

// The stages that turn one item's name into its new name, in their fixed order (doubled
// extension, the extension set aside, the symbol count, "Only English", the case
// conversion, replace, the name pattern, "Force 63", the extension back), with the
// options of one batch. Pure name work: nothing is renamed, logged or shown; the only
// thing read is an MP3 file's tag for the pattern's tag escapes.
class NameChain {
public:
    // `table` is the "Only English" table, read once for the batch; null when the option
    // is off, or switched off because its table could not be opened (then the replace
    // pair applies instead, as to every item after such a failure).
    NameChain(const RenameOptions& options, const ReplacementTable* table);

    // The new name of `name`, an item of `directory` (ending with '/'); advances the
    // counters the pattern uses and sets the symbol count.
    std::u16string NewName(std::u16string_view name, std::u16string_view directory,
                           NameCounters& counters) const;

private:
    const RenameOptions& options_;
    const ReplacementTable* table_;
    bool onlyEnglish_;
    bool replaces_;
    bool readsTags_;
};

}  // namespace brindle
