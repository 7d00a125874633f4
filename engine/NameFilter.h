#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace brindle {

// A mistake in the "Include" or "Exclude" text: where it is, as the 1-based number of the
// character in that text (a character outside the Basic Multilingual Plane counts once),
// and why.
struct FilterError {
    std::size_t character = 0;
    std::u16string reason;
    bool inExclude = false;  // false: in the include text; true: in the exclude text
    bool operator==(const FilterError&) const = default;
};

// Which items a batch takes, by name (the name on disk, no folder part). Each text holds
// patterns separated by ';'; empty parts are ignored and a part's spaces are kept, as
// names may begin or end with them. A part is
//
//   re:expr   a regular expression, searched anywhere in the name, letter case ignored
//   anything  a glob matched against the whole name, letter case ignored (each
//             character's simple case folding): '*' any run of characters (a leading '.'
//             too), '?' one character, '[...]' one of a set with ranges ('[!...]' or
//             '[^...]' one not in it; a ']' first in it is a member), '\' the next
//             character as itself
//
// A name is taken when it matches an include pattern (or there is none) and no exclude
// pattern. A regular expression's match that runs past the limits counts as no match.
// Matching a regular expression writes to its match space: one filter serves one thread
// at a time.
class NameFilter {
public:
    // The filter, or the first mistake: an unclosed '[', a range that runs backwards, an
    // empty "re:" or an expression PCRE2 refuses (with its message).
    static std::variant<NameFilter, FilterError> Parse(std::u16string_view include,
                                                       std::u16string_view exclude);

    NameFilter(NameFilter&&) noexcept;
    NameFilter& operator=(NameFilter&&) noexcept;
    ~NameFilter();

    // Whether it takes nothing away: no pattern in either text.
    bool TakesAll() const;

    bool Takes(std::u16string_view name) const;

    struct Pattern;  // one glob or expression, compiled

private:
    NameFilter();
    std::vector<std::unique_ptr<Pattern>> include_;
    std::vector<std::unique_ptr<Pattern>> exclude_;
};

}  // namespace brindle
