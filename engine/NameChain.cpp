#include "engine/NameChain.h"

#include <memory>

#include "engine/CaseConversion.h"

namespace brindle {

NameChain::NameChain(const RenameSettings& options, const ReplacementTable* table,
                     NamePattern pattern) {
    const bool onlyEnglish = options.onlyEnglish && table != nullptr;
    const ExtensionPlace extension =
        options.withoutExtension ? ExtensionPlace::SetAside : ExtensionPlace::InName;

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
    if (options.replaceWhat != options.replaceWith && !onlyEnglish)
        stages.push_back(std::make_unique<ReplaceStage>(options.replaceWhat, options.replaceWith));
    if (!options.namePattern.empty())
        stages.push_back(std::make_unique<PatternStage>(std::move(pattern), extension));
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
    std::u16string name(item.nameOnDisk());
    for (const auto& stage : stages_)
        stage->Apply(name, item, counters);
    return name;
}

}  // namespace brindle
