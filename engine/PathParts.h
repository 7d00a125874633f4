#pragma once

#include <string>
#include <string_view>

namespace brindle {

// On this platform '/' is the only path separator: '\' and ':' are ordinary
// characters of names ("12:30 call.txt").
inline constexpr char16_t kPathSeparator = u'/';

inline bool IsPathSeparator(char16_t c) {
    return c == kPathSeparator;
}

// Text after the last separator; the whole path when it holds none; empty when the
// path ends with one.
std::u16string NamePart(std::u16string_view path);

// Text up to and including the last separator; empty when the path holds none.
std::u16string DirectoryPart(std::u16string_view path);

}  // namespace brindle
