#pragma once

#include <optional>
#include <string>

#include "engine/CaseConversion.h"
#include "engine/ConfigFile.h"
#include "engine/NameStage.h"
#include "engine/NameStages.h"
#include "engine/PatternCreator.h"
#include "engine/RegexReplace.h"
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
    // With the regular expression stage, `regex` is options' expression and replacement
    // as the batch compiled them; when it is not given the chain compiles them itself, and
    // a mistake in them leaves the stage out (the batch tells it before any chain names
    // an item).
    NameChain(const RenameSettings& options, const ReplacementTable* table, NamePattern pattern,
              std::optional<RegexReplacer> regex = std::nullopt);

    // The new name of the item; advances the counters the pattern uses and sets the
    // symbol count.
    std::u16string NewName(const ItemFacts& item, NameCounters& counters) const;
    // The same into `name`, whose room a long batch uses again item after item.
    void NameInto(const ItemFacts& item, NameCounters& counters, std::u16string& name) const;

    // Whether the regular expression ran past its limits on the item NewName named last:
    // then the stage left that name as it was, and the item is not to be renamed.
    // What the pattern's tokens read from inside every item's file; nothing when no token
    // does (ItemFacts::setNeeds).
    const HeldFactsNeeds& needs() const { return needs_; }

    bool RegexTookTooLong() const { return regex_ != nullptr && regex_->tookTooLong(); }

    // Runs the stages up to and including the replace stage on `item` (no counters advanced,
    // no file read) and returns the result with the parts the regular expression replaced;
    // nullopt when the chain has no regular expression stage. The window's thread builds a
    // chain of its own for this (a chain names the items of one thread).
    std::optional<ReplacedName> ReplacedParts(const ItemFacts& item) const;

private:
    NameStages stages_;
    // The stages before the replace stage, as ReplacedParts runs them again.
    bool doubledExtension_ = false;
    bool extensionAside_ = false;
    int conversionMode_ = kNoConversion;
    const RegexReplaceStage* regex_ = nullptr;
    HeldFactsNeeds needs_;
};

}  // namespace brindle
