#pragma once

#include <vector>

#include "engine/DateFormat.h"
#include "engine/NameTokens.h"
#include "platform/WallClock.h"

namespace brindle {

// The moment as the local zone's clock shows it (TZ respected), with its nanoseconds as
// sub-seconds and the zone's offset; nullopt where it cannot be placed.
std::optional<DateValue> LocalDate(WallTime time);

// The program's date tokens, each with an optional date format (DateFormat.h):
//   {modified}  the item's modification time
//   {created}   its birth time, where the filesystem records one
//   {now}       the moment the batch (or the Preview's plan) began, one for all its items
std::vector<NameToken> DateTokens();

}  // namespace brindle
