#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/NameStage.h"
#include "platform/HeldFacts.h"

namespace brindle {

// A token of the name pattern, written `{name}` or `{name:argument}`: a value the item
// gives, such as a date or a tag the file holds. The tokens are known by name here and
// nowhere else; the pattern's parser looks them up.
struct NameToken {
    // A lower-case letter, then letters, digits and '.'.
    std::u16string name;
    // Why `argument` (nullopt where none is written) does not fit this token; nullopt
    // when it does. Asked once for each use in a pattern, when the pattern is parsed.
    std::function<std::optional<std::u16string>(std::optional<std::u16string_view> argument)>
        checkArgument;
    // Appends the item's value to `out` and returns true; false (nothing appended) when
    // the item has none. `argument` is as written, empty where none is.
    std::function<bool(const ItemFacts& item, std::u16string_view argument, std::u16string& out)>
        value;
    // Its value goes on from item to item, as '/1' does, so that no two items of a batch
    // share it: a pattern that uses it gives the items of one folder names of their own.
    bool counter = false;
    // What the token reads from inside the file for `argument` (as written, empty where
    // none is); null for a token that reads nothing there. Asked once for each use in a
    // pattern, so that each file is read once for all the pattern's tokens.
    std::function<void(std::u16string_view argument, HeldFactsNeeds& needs)> needs;
};

// Makes what a token appended to `text` from `from` on fit into a name, whatever the item
// holds: '/' becomes '-', NUL and the other control characters go, and white space at
// either end is trimmed. The pattern applies it to every token's value.
void CleanTokenValue(std::u16string& text, std::size_t from);

// Whether `name` is spelt as a token's name.
bool IsTokenName(std::u16string_view name);

// Makes `token` known to every pattern parsed from now on. False when its name is not
// spelt as a token's name, is known already, or a function is missing. Tokens are made
// known before the batches that use them and are never forgotten.
bool RegisterNameToken(NameToken token);

// The token of this name, or null. The token lives as long as the program.
const NameToken* FindNameToken(std::u16string_view name);

}  // namespace brindle
