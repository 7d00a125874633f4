#include "engine/NameChain.h"

#include "engine/CaseConversion.h"
#include "engine/Extension.h"
#include "engine/Filters.h"
#include "engine/PatternCreator.h"
#include "engine/TextOps.h"

namespace brindle {

NameChain::NameChain(const RenameOptions& options, const ReplacementTable* table)
    : options_(options),
      table_(table),
      onlyEnglish_(options.onlyEnglish && table != nullptr),
      replaces_(options.replaceWhat != options.replaceWith && !onlyEnglish_),
      // Only the tag escapes read the file, and only they need its path.
      readsTags_(options.namePattern.find(u'\\') != std::u16string::npos) {}

std::u16string NameChain::NewName(std::u16string_view name, std::u16string_view directory,
                                  NameCounters& counters) const {
    const RenameOptions& o = options_;
    std::u16string working(name);
    if (o.duplicateExtension)
        working = RemoveDuplicateExtension(working);
    std::u16string savedExtension;
    if (o.withoutExtension) {
        savedExtension = ExtensionOf(working);
        working = RemoveExtension(working);
    }
    if (o.countSymbols)
        counters.symbolCount = LengthOf(working);
    if (onlyEnglish_)
        working = ApplyReplacementTable(working, *table_);
    working = ApplyConversion(o.conversionMode, working);
    if (replaces_)
        working = ReplaceAll(working, o.replaceWhat, o.replaceWith);
    if (!o.namePattern.empty()) {
        std::u16string itemPath;
        if (readsTags_) {
            itemPath.assign(directory);
            itemPath.append(name);
        }
        PatternContext context{.startIndex = counters.startIndex,
                               .letterCounter = counters.letter,
                               .withoutExtension = o.withoutExtension,
                               .currentDirectory = directory,
                               .itemPath = itemPath,
                               .nameOnDisk = name};
        working = CreatePatternName(o.namePattern, working, context);
    }
    if (o.force63)
        working = ForceLength(working, o.force63Length, o.withoutExtension);
    if (o.withoutExtension)
        working += savedExtension;
    return working;
}

}  // namespace brindle
