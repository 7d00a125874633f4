#include "engine/NameStages.h"

#include "engine/CaseConversion.h"
#include "engine/Filters.h"
#include "engine/TextOps.h"

namespace brindle {

void DoubledExtensionStage::Apply(std::u16string& name, const ItemFacts&, NameCounters&) const {
    name = RemoveDuplicateExtension(name);
}

void ExtensionAsideStage::Apply(std::u16string& name, const ItemFacts& item,
                                NameCounters& counters) const {
    // Kept in a member from item to item, so that setting it aside allocates nothing.
    const std::size_t stem = name.size() - ExtensionView(name).size();
    extension_.assign(name, stem);
    name.resize(stem);
    for (const auto& stage : inner_)
        stage->Apply(name, item, counters);
    name += extension_;
}

void SymbolCountStage::Apply(std::u16string& name, const ItemFacts&, NameCounters& counters) const {
    counters.symbolCount = LengthOf(name);
}

void ReplacementTableStage::Apply(std::u16string& name, const ItemFacts&, NameCounters&) const {
    name = ApplyReplacementTable(name, table_);
}

void CaseConversionStage::Apply(std::u16string& name, const ItemFacts&, NameCounters&) const {
    ApplyConversionTo(mode_, name);
}

void ReplaceStage::Apply(std::u16string& name, const ItemFacts&, NameCounters&) const {
    name = ReplaceAll(name, what_, with_);
}

void RegexReplaceStage::Apply(std::u16string& name, const ItemFacts&, NameCounters&) const {
    if (!Replace(name, nullptr))
        tookTooLong_ = true;
}

bool RegexReplaceStage::Replace(std::u16string& name, std::vector<ReplacedPart>* parts) const {
    if (replacer_.Replace(name, replaced_, parts) != RegexReplacer::Outcome::Replaced)
        return false;
    // The old name's storage serves the next item.
    name.swap(replaced_);
    return true;
}

void PatternStage::Apply(std::u16string& name, const ItemFacts& item,
                         NameCounters& counters) const {
    const std::u16string_view whole(name);
    const std::u16string_view extension =
        extension_ == ExtensionPlace::InName ? ExtensionView(whole) : std::u16string_view();
    built_.clear();
    pattern_.Build(whole.substr(0, whole.size() - extension.size()), extension, item, counters,
                   built_);
    // The old name's storage serves the next item's pattern.
    name.swap(built_);
}

void LengthCutStage::Apply(std::u16string& name, const ItemFacts&, NameCounters&) const {
    ForceLength(name, length_, extension_);
}

}  // namespace brindle
