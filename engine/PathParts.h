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

// `path` made absolute against `folder` (itself absolute) when it is relative, and made
// plain as a shell user means it: "." and empty components dropped, ".." taking away the
// one before (never past the root). Empty for an empty path.
std::u16string AbsolutePath(std::u16string_view path, std::u16string_view folder);

}  // namespace brindle
