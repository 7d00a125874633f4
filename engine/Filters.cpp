#include "engine/Filters.h"

#include <algorithm>

#include "engine/ConfigFile.h"
#include "engine/Extension.h"
#include "engine/TextOps.h"

namespace brindle {

std::u16string RemoveDuplicateExtension(std::u16string_view name) {
    const std::u16string ext = ExtensionOf(name);
    const std::u16string doubled = ext + ext;
    const auto at = name.find(doubled);
    if (at == std::u16string_view::npos || at == 0)
        return std::u16string(name);
    return ReplaceAll(name, doubled, ext);
}

FilterResult ApplyFilterMethod(std::u16string_view name, std::u16string_view iniPath,
                               std::u16string_view filterMethod) {
    FilterResult result{std::u16string(name), true};
    const auto table = readReplacementTable(iniPath, filterMethod);
    if (!table) {
        result.tableOpened = false;
        return result;
    }
    result.name = ApplyReplacementTable(name, *table);
    return result;
}

std::u16string ApplyReplacementTable(std::u16string_view name, const ReplacementTable& table) {
    std::u16string result(name);
    for (const auto& [source, replacement] : table)
        result = ReplaceAll(result, source, replacement);
    return result;
}

std::u16string ForceLength(std::u16string_view name, int length, bool withoutExtension) {
    // A length below 0 cuts like 0: every tail then is the whole remaining name.
    const std::size_t limit = static_cast<std::size_t>(std::max(length, 0));
    std::u16string result(name);
    if (result.size() > limit)
        result = ReplaceAll(result, u" ", u"");
    if (result.size() > limit)
        result = ReplaceAll(result, u"_", u"");
    if (result.size() <= limit)
        return result;

    const std::size_t cut = result.size() - limit;
    std::u16string ext;
    if (!withoutExtension) {
        ext = ExtensionOf(result);
        result = ReplaceAll(result, ext, u"");
    }
    const std::u16string tail = result.substr(result.size() - std::min(cut, result.size()));
    result = ReplaceAll(result, tail, u"");
    result += ext;
    return result;
}

}  // namespace brindle
