#include "engine/SelectionCheck.h"

#include <variant>

#include "engine/IntegerText.h"
#include "engine/ItemOrder.h"

namespace brindle {

std::u16string FilterErrorText(const FilterError& error) {
    std::u16string text = error.inExclude ? u"The exclude filter" : u"The include filter";
    text += u" has a mistake at character ";
    text += DecimalText(error.character);
    text += u": ";
    text += error.reason;
    text += u'.';
    return text;
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
