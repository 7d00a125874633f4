#pragma once

// Tokens of the name pattern that only tests know; the shipped programs never register
// them:
//   {test.echo:TEXT}  TEXT as written; without TEXT, or with an empty one, the pattern
//                     has a mistake
//   {test.none}       no item has a value for it; an argument is a mistake
//   {test.disk}       the item's name on disk; an argument is a mistake
//   {test.count}      the same, and known as a counter: no two items of a folder share it

namespace brindle::testing {

// Registers them; calling it again changes nothing.
void RegisterTestTokens();

}  // namespace brindle::testing
