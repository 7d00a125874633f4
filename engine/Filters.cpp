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
    // A table holds hundreds of rows, of which a name meets a few: the others cost a
    // search, and no copy.
    for (const auto& [source, replacement] : table) {
        if (!source.empty() && result.find(source) != std::u16string::npos)
            result = ReplaceAll(result, source, replacement);
    }
    return result;
}

void ForceLength(std::u16string& name, int length, ExtensionPlace extensionPlace) {
    // A length below 0 cuts like 0.
    const std::size_t limit = static_cast<std::size_t>(std::max(length, 0));
    if (name.size() > limit)
        std::erase(name, u' ');
    if (name.size() > limit)
        std::erase(name, u'_');
    if (name.size() <= limit)
        return;

    // The cut ends where the extension begins; a name with nothing before its extension
    // ('README', '.bashrc') is cut as a whole.
    std::size_t end = name.size();
    if (extensionPlace == ExtensionPlace::InName) {
        const auto dot = name.rfind(u'.');
        if (dot != std::u16string::npos && dot > 0)
            end = dot;
    }
    const std::size_t extension = name.size() - end;
    // At least one character stays before the extension, even where the extension alone
    // is longer than the length: a name is never left as its bare extension.
    std::size_t keep = std::max<std::size_t>(limit > extension ? limit - extension : 0, 1);
    // A character outside the Basic Multilingual Plane is kept or cut whole.
    const auto high = [](char16_t c) { return c >= 0xD800 && c <= 0xDBFF; };
    const auto low = [](char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
    if (keep < end && low(name[keep]) && high(name[keep - 1]))
        keep = keep > 1 ? keep - 1 : keep + 1;
    if (keep < end)
        name.erase(keep, end - keep);
}

}  // namespace brindle
