#pragma once

#include <string>
#include <string_view>

namespace brindle {

// Replaces every non-overlapping occurrence of `what`, scanning left to right,
// case-sensitive. An empty `what` changes nothing.
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view what,
                          std::u16string_view with);

// Only the ASCII letters change: the program never selects a locale.
inline bool IsAsciiUpper(char16_t c) { return c >= u'A' && c <= u'Z'; }
inline bool IsAsciiLower(char16_t c) { return c >= u'a' && c <= u'z'; }
inline char16_t AsciiToLower(char16_t c) {
    return IsAsciiUpper(c) ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}
inline char16_t AsciiToUpper(char16_t c) {
    return IsAsciiLower(c) ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}
std::u16string AsciiLowered(std::u16string_view text);

// The ASCII text as UTF-16 (for literals and numbers built with the C library).
std::u16string FromAscii(std::string_view ascii);

}  // namespace brindle
