#include "engine/NameChain.h"

#include <memory>

#include "engine/CaseConversion.h"
#include "engine/Extension.h"
#include "engine/Filters.h"

namespace brindle {

NameChain::NameChain(const RenameSettings& options, const ReplacementTable* table,
                     NamePattern pattern, std::optional<RegexReplacer> regex) {
    const bool onlyEnglish = options.onlyEnglish && table != nullptr;
    const ExtensionPlace extension =
        options.withoutExtension ? ExtensionPlace::SetAside : ExtensionPlace::InName;

    doubledExtension_ = options.duplicateExtension;
    extensionAside_ = options.withoutExtension;
    conversionMode_ = options.conversionMode;
    if (options.duplicateExtension)
        stages_.push_back(std::make_unique<DoubledExtensionStage>());
    // The stages from here on see the name without its extension with "w/o File
    // Extension".
    NameStages stages;
    if (options.countSymbols)
        stages.push_back(std::make_unique<SymbolCountStage>());
    if (onlyEnglish)
        stages.push_back(std::make_unique<ReplacementTableStage>(*table));
    if (options.conversionMode != kNoConversion)
        stages.push_back(std::make_unique<CaseConversionStage>(options.conversionMode));
    if (options.regularExpression) {
        if (!onlyEnglish && !options.replaceWhat.empty()) {
            if (!regex)
                regex = RegexReplacer::Compile(options.replaceWhat, options.replaceWith, nullptr);
            if (regex->valid()) {
                auto stage = std::make_unique<RegexReplaceStage>(std::move(*regex));
                regex_ = stage.get();
                stages.push_back(std::move(stage));
            }
        }
    } else if (options.replaceWhat != options.replaceWith && !onlyEnglish) {
        stages.push_back(std::make_unique<ReplaceStage>(options.replaceWhat, options.replaceWith));
    }
    if (!options.namePattern.empty()) {
        needs_ = pattern.Needs();
        stages.push_back(std::make_unique<PatternStage>(std::move(pattern), extension));
    }
    if (options.force63)
        stages.push_back(std::make_unique<LengthCutStage>(options.force63Length, extension));

    if (extension == ExtensionPlace::InName) {
        for (auto& stage : stages)
            stages_.push_back(std::move(stage));
    } else if (!stages.empty()) {
        stages_.push_back(std::make_unique<ExtensionAsideStage>(std::move(stages)));
    }
}

std::u16string NameChain::NewName(const ItemFacts& item, NameCounters& counters) const {
    std::u16string name;
    NameInto(item, counters, name);
    return name;
}

void NameChain::NameInto(const ItemFacts& item, NameCounters& counters,
                         std::u16string& name) const {
    if (regex_ != nullptr)
        regex_->Forget();
    name.assign(item.nameOnDisk());
    for (const auto& stage : stages_)
        stage->Apply(name, item, counters);
}

std::optional<ReplacedName> NameChain::ReplacedParts(const ItemFacts& item) const {
    if (regex_ == nullptr)
        return std::nullopt;
    // The stages before it that change the name: with the regular expression there is no
    // "Only English" table, and the symbol count changes nothing of the name.
    ReplacedName result;
    result.name = item.nameOnDisk();
    if (doubledExtension_)
        result.name = RemoveDuplicateExtension(result.name);
    std::u16string extension;
    if (extensionAside_) {
        const std::size_t stem = result.name.size() - ExtensionView(result.name).size();
        extension.assign(result.name, stem);
        result.name.resize(stem);
    }
    result.name = ApplyConversion(conversionMode_, result.name);
    if (!regex_->Replace(result.name, &result.parts))
        result.parts.clear();
    // The extension follows every part, which keeps its place.
    result.name += extension;
    return result;
}

}  // namespace brindle
