#pragma once

#include <vector>

#include "engine/NameTokens.h"

namespace brindle {

// The counter token "{n}": the item's place in the batch's order, from 1, or in its
// folder's ("per-folder"). Its argument is a list separated by ',', in any order, of a
// width (digits: "3" pads to 3 digits), "start=INT", "step=INT" (not 0; negative counts
// down) and "per-folder", each at most once: {n:3,start=10,step=5} gives 010, 015, 020.
std::vector<NameToken> CounterTokens();

}  // namespace brindle
