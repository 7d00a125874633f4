#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/RenameSettings.h"
#include "platform/FileSystem.h"

namespace brindle {

// Natural name order, the same on every machine (no locale). Each name is split into runs
// of ASCII digits and runs of everything else, and the runs are compared in turn:
// - two digit runs by numeric value, of any length (leading zeros stripped, the longer
//   number is larger, then digit by digit); equal values with fewer leading zeros first;
// - two other runs by Unicode's simple case folding, code point by code point, a run
//   before any longer run it begins;
// - a digit run before any other run, and a name before any longer name it begins.
// When all runs tie, the names' bytes on disk decide.

// A key whose byte-wise comparison is the run-by-run comparison above: sorting compares
// keys made once per name instead of splitting and folding the names again and again.
std::string NaturalSortKey(std::u16string_view name);

// Negative, zero or positive as `a` sorts before, with or after `b`: zero only for names
// of the same bytes.
int CompareNatural(std::u16string_view a, std::u16string_view b);

// The indices of `names` in the chosen order (None keeps the given order). Names of equal
// bytes keep their given order.
std::vector<std::size_t> NameOrderIndices(const std::vector<std::u16string_view>& names,
                                          NameOrder order);

// A folder's listing sorted in place into the chosen order.
void OrderFolderEntries(FolderListing& entries, NameOrder order);

}  // namespace brindle
