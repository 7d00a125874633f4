#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/NameStage.h"
#include "platform/HeldFacts.h"

namespace brindle {

struct NameToken;

// A mistake in a name pattern: where it is, as the 1-based number of the character
// (a character outside the Basic Multilingual Plane counts once), and why.
struct PatternError {
    std::size_t character = 0;
    std::u16string reason;
    bool operator==(const PatternError&) const = default;
};

// "The name pattern has a mistake at character 5: <reason>."
std::u16string PatternErrorText(const PatternError& error);
// "<what> has a mistake at character 5: <reason>.", for every text the user writes.
std::u16string MistakeAtText(std::u16string_view what, std::size_t character,
                             std::u16string_view reason);

// A name pattern as a batch reads it once, in pieces, to build every item's name:
//
//   /O          the working name without its extension
//   /0 .. /9    the running number, printf-padded to that width; it goes up by one
//   /C          the running letter, 'a' to 'z' and round again
//   /D          the name of the item's folder
//   \A \T \C    the artist, title and album of an MP3 file's tag,
//   \Y \N       its year and track number (on another file: the letter itself)
//   {name}      a token (NameTokens.h); {a|b} the first of a and b the item has a value
//   {name:arg}  for; the argument is everything up to the first '}', as written
//               (the date tokens: {modified}, {created}, {now}, with a date format)
//
// An escape is the character after '/' or '\' in the pattern (so '/OC' copies the
// 'C' and '\/C' is the letter); every '/' and '\' is deleted from what the pattern
// builds, except from a token's value, which CleanTokenValue makes fit for a name. A
// group without a value inserts nothing and is noted on the item (ItemFacts::noValue). A brace
// group that names no known token is read as ordinary text, escapes and all. Everything else is
// copied.
class NamePattern {
public:
    // Appends to `out` the name the pattern builds for `item`: `name` is the working name
    // without its extension, `extension` is appended after the pattern's text.
    void Build(std::u16string_view name, std::u16string_view extension, const ItemFacts& item,
               NameCounters& counters, std::u16string& out) const;

    // Whether it has a counter: '/0'..'/9', '/C', or a counter token (in any place of a
    // brace group). Without one, the items of one folder may all be given one name.
    bool HasCounter() const;

    // What its tokens read from inside each item's file; nothing when no token does.
    HeldFactsNeeds Needs() const;

    // Whether it holds a token, and nothing but tokens and text.
    bool OnlyTokensAndText() const;

private:
    friend class PatternParser;

    enum class Kind : std::uint8_t { Text, Name, Number, Letter, Folder, Tag, Token };
    struct Piece {
        Kind kind;
        // Number: the width; Tag: the escape's letter.
        char16_t code = 0;
        // Text: where its characters lie in text_; Token: the index of its use in tokens_.
        std::uint32_t begin = 0;
        std::uint32_t size = 0;
    };
    // The names of one brace group, in their order, and its argument.
    struct TokenUse {
        std::vector<const NameToken*> names;
        std::u16string argument;
    };
    // "{a|b}": the group's names as the item's warning gives them.
    static std::u16string GroupText(const TokenUse& use);

    std::vector<Piece> pieces_;
    std::u16string text_;  // the literal text, '/' and '\' already deleted
    std::vector<TokenUse> tokens_;
};

// The pattern parsed, or the first mistake in it (the pattern is then empty).
struct ParsedPattern {
    NamePattern pattern;
    std::optional<PatternError> error;
};
ParsedPattern ParseNamePattern(std::u16string_view text);

}  // namespace brindle
