#pragma once

// The case conversions as they were when only the ASCII letters changed. On ASCII names
// the conversions of every script must give exactly these results; the case test and the
// fuzz target of the pattern creator compare against them.

#include <algorithm>
#include <string>

#include "engine/CaseConversion.h"

namespace brindle::testing::ascii {

inline char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}
inline char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

template <typename Convert>
std::u16string WordStarts(std::u16string result, Convert convert) {
    if (result.empty())
        return result;
    result[0] = convert(result[0]);
    for (std::size_t i = 0; i < result.size();) {
        const char16_t c = result[i];
        if ((c == u' ' || c == u'_' || c == u'(' || c == u'.') && i + 1 < result.size()) {
            result[i + 1] = convert(result[i + 1]);
            i += 2;
        } else {
            i += 1;
        }
    }
    return result;
}

inline std::u16string Convert(int mode, std::u16string name) {
    switch (mode) {
        case kToLowerCase:
            std::transform(name.begin(), name.end(), name.begin(), Lower);
            return name;
        case kLowerLetter:
            return WordStarts(name, Lower);
        case kReverse:
            std::reverse(name.begin(), name.end());
            return name;
        case kReverseLetter:
            std::transform(name.begin(), name.end(), name.begin(),
                           [](char16_t c) { return c >= u'A' && c <= u'Z' ? Lower(c) : Upper(c); });
            return name;
        case kToUpperCase:
            std::transform(name.begin(), name.end(), name.begin(), Upper);
            return name;
        case kUpperLetter:
            return WordStarts(name, Upper);
        default:
            return name;
    }
}

inline bool IsAscii(std::u16string_view name) {
    return std::all_of(name.begin(), name.end(), [](char16_t c) { return c < 0x80; });
}

}  // namespace brindle::testing::ascii
