#pragma once

#include <optional>
#include <string>

#include "engine/NameFilter.h"
#include "engine/RenameSettings.h"

namespace brindle {

// "The include filter has a mistake at character 3: <reason>." (or "exclude").
std::u16string FilterErrorText(const FilterError& error);

// The first mistake in the options that choose a batch's items and their order, said
// whole: the order's expression, then the include and exclude filters. Nullopt when there
// is none. A batch with one does not begin; hosts tell it before they start one.
std::optional<std::u16string> SelectionMistake(const RenameSettings& settings);

}  // namespace brindle
