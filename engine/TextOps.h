#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace brindle {

// Replaces every non-overlapping occurrence of `what`, scanning left to right,
// case-sensitive. An empty `what` changes nothing.
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view what,
                          std::u16string_view with);

// A text's length in UTF-16 units as the 32-bit counters hold it: a longer text counts
// as INT32_MAX instead of wrapping to a negative length.
inline std::int32_t LengthOf(std::u16string_view text) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::min(text.size(), kMax));
}

// ASCII-only case, for the words of the configuration file and the file types, which are
// compared without regard to case and never shown changed. Names themselves change case
// through the case conversions.
inline bool IsAsciiUpper(char16_t c) {
    return c >= u'A' && c <= u'Z';
}
inline bool IsAsciiLower(char16_t c) {
    return c >= u'a' && c <= u'z';
}
inline char16_t AsciiToLower(char16_t c) {
    return IsAsciiUpper(c) ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}
inline char16_t AsciiToUpper(char16_t c) {
    return IsAsciiLower(c) ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}
std::u16string AsciiLowered(std::u16string_view text);

// The ASCII text as UTF-16 (for literals and numbers built with the C library).
std::u16string FromAscii(std::string_view ascii);

// Code points of a UTF-16 text. A surrogate pair is one code point; a surrogate that is
// not part of a pair (the name codec's byte escapes among them) is one code point of its
// own value, never joined to a neighbour or replaced.
inline bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

struct CodePoint {
    char32_t value;
    std::size_t units;  // 1 or 2
};

// The code point starting at `pos` (< text.size()).
inline CodePoint CodePointAt(std::u16string_view text, std::size_t pos) {
    const char16_t lead = text[pos];
    if (lead >= 0xD800 && lead <= 0xDBFF && pos + 1 < text.size()) {
        const char16_t trail = text[pos + 1];
        if (trail >= 0xDC00 && trail <= 0xDFFF)
            return {0x10000 + ((char32_t{lead} - 0xD800) << 10) + (trail - 0xDC00), 2};
    }
    return {lead, 1};
}

inline void AppendCodePoint(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

std::size_t CodePointCount(std::u16string_view text);

}  // namespace brindle
