#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/RenameSettings.h"

namespace brindle {

// A mistake in the regular expression ("Replace what") or in its replacement ("with").
struct RegexError {
    bool inReplacement = false;  // false: in the expression; true: in the replacement
    std::size_t offset = 0;      // UTF-16 code-unit offset of the mistake in that text
    std::u16string message;      // PCRE2's message, or one of Brindle's ("no group 3")
    bool operator==(const RegexError&) const = default;
};

// What RegexErrorText puts where the mistake is.
inline constexpr std::u16string_view kRegexMarker = u"\u25B8";

// One line for the Preview's summary, message boxes and brindle-cli's standard error:
// quotes the text that holds the mistake with a marker at the offset, then the message.
std::u16string RegexErrorText(const RegexError& error, std::u16string_view expression,
                              std::u16string_view replacement);

// The settings' expression and replacement compiled as a batch compiles them; nullopt when
// both are sound or when the regular expression stage does not run (the flag off, "Only
// English" on, or "Replace what" empty).
std::optional<RegexError> CheckRegularExpression(const RenameSettings& settings);

// Whether the settings run the regular expression stage: the flag on, "Replace what" not
// empty and "Only English" off.
bool UsesRegularExpression(const RenameSettings& settings);

// A part of a name that a replacement produced, in UTF-16 code units of that name.
struct ReplacedPart {
    std::uint32_t begin = 0;
    std::uint32_t size = 0;
    bool operator==(const ReplacedPart&) const = default;
};

// The name as the replace stage leaves it for one item, its extension back in place
// (the full name, comparable with the plan's new name), and the parts replaced in it.
struct ReplacedName {
    std::u16string name;
    std::vector<ReplacedPart> parts;
};

// An expression and its replacement, compiled once (just in time where the machine
// allows) for many names. Every match, left to right, is replaced; an empty match right
// after the previous match is not (so ".*" replaces a name once). Names that are not
// valid UTF-16 are matched as they are: a unit that is no character never matches and
// stays as it was. A match runs under fixed limits of steps, depth and memory, so that no
// expression holds a batch up for long. Keeps its match space from name to name: one
// replacer serves one thread.
class RegexReplacer {
public:
    // The replacer, or the mistake that keeps `expression` or `replacement` from being one.
    static RegexReplacer Compile(std::u16string_view expression, std::u16string_view replacement,
                                 RegexError* error);

    RegexReplacer(RegexReplacer&&) noexcept;
    RegexReplacer& operator=(RegexReplacer&&) noexcept;
    ~RegexReplacer();

    // False when Compile failed.
    bool valid() const { return impl_ != nullptr; }

    enum class Outcome {
        Replaced,  // `out` holds the result (the name itself when nothing matched)
        TooLong,   // a match ran past the limits; `out` is unspecified
    };
    // Writes `name` with every match replaced to `out` (cleared first) and, when `parts`
    // is given, the parts of `out` that replacements produced (cleared first).
    Outcome Replace(std::u16string_view name, std::u16string& out,
                    std::vector<ReplacedPart>* parts = nullptr) const;

private:
    struct Impl;
    explicit RegexReplacer(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace brindle
