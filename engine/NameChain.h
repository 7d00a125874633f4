#pragma once

#include <string>

#include "engine/ConfigFile.h"
#include "engine/NameStage.h"
#include "engine/NameStages.h"
#include "engine/PatternCreator.h"
#include "engine/RenameSettings.h"

namespace brindle {

// The stages that turn one item's name into its new name, made once for a batch from its
// options, in their fixed order: doubled extension, (the extension set aside), the symbol
// count, "Only English", the case conversion, replace, the name pattern, "Force 63", (the
// extension back). Pure name work: nothing is renamed, logged or shown; the only thing
// read is an MP3 file's tag for the pattern's tag escapes. One chain names the items of
// one thread.
class NameChain {
public:
    // `table` is the "Only English" table, read once for the batch; null when the option
    // is off, or switched off because its table could not be opened (then the replace
    // pair applies instead, as to every item after such a failure). `pattern` is
    // options.namePattern as parsed for the batch. The table outlives the chain.
    NameChain(const RenameSettings& options, const ReplacementTable* table, NamePattern pattern);

    // The new name of the item; advances the counters the pattern uses and sets the
    // symbol count.
    std::u16string NewName(const ItemFacts& item, NameCounters& counters) const;

private:
    NameStages stages_;
};

}  // namespace brindle
