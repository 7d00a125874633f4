#include "engine/SelectionCheck.h"

#include <variant>

#include "engine/ItemOrder.h"

namespace brindle {

std::u16string FilterErrorText(const FilterError& error) {
    return MistakeAtText(error.inExclude ? u"The exclude filter" : u"The include filter",
                         error.character, error.reason);
}

std::optional<std::u16string> SelectionMistake(const RenameSettings& settings) {
    const auto order = ItemOrder::Make(settings);
    if (const auto* error = std::get_if<PatternError>(&order))
        return OrderMistakeText(*error);
    const auto filter = NameFilter::Parse(settings.include, settings.exclude);
    if (const auto* error = std::get_if<FilterError>(&filter))
        return FilterErrorText(*error);
    return std::nullopt;
}

}  // namespace brindle
