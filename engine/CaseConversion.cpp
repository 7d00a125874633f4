#include "engine/CaseConversion.h"

#include <algorithm>

#include "engine/TextOps.h"

namespace brindle {

namespace {

bool IsWordSeparator(char16_t c) {
    return c == u' ' || c == u'_' || c == u'(' || c == u'.';
}

// The word scan shared by Upper Letter and Lower Letter. The character converted after a
// separator is stepped over, never examined as a separator itself: 'a  b' keeps its 'b'.
template <typename Convert>
std::u16string ConvertWordStarts(std::u16string_view name, Convert convert) {
    std::u16string result(name);
    if (result.empty())
        return result;
    result[0] = convert(result[0]);
    const auto size = result.size();
    for (std::u16string::size_type i = 0; i < size;) {
        if (IsWordSeparator(result[i]) && i + 1 < size) {
            result[i + 1] = convert(result[i + 1]);
            i += 2;
        } else {
            i += 1;
        }
    }
    return result;
}

template <typename Convert>
std::u16string ConvertEach(std::u16string_view name, Convert convert) {
    std::u16string result(name);
    for (auto& c : result)
        c = convert(c);
    return result;
}

}  // namespace

std::u16string ToLowerCase(std::u16string_view name) {
    return ConvertEach(name, AsciiToLower);
}

std::u16string ToUpperCase(std::u16string_view name) {
    return ConvertEach(name, AsciiToUpper);
}

std::u16string ToLowerLetter(std::u16string_view name) {
    return ConvertWordStarts(name, AsciiToLower);
}

std::u16string ToUpperLetter(std::u16string_view name) {
    return ConvertWordStarts(name, AsciiToUpper);
}

// Code units, not characters: a surrogate pair comes out split, and the rename of such a
// name fails later, as it must for a name that is not valid UTF-16.
std::u16string ReverseName(std::u16string_view name) {
    std::u16string result(name);
    std::reverse(result.begin(), result.end());
    return result;
}

std::u16string ReverseLetterCase(std::u16string_view name) {
    return ConvertEach(
        name, [](char16_t c) { return IsAsciiUpper(c) ? AsciiToLower(c) : AsciiToUpper(c); });
}

std::u16string ApplyConversion(int mode, std::u16string_view name) {
    switch (mode) {
        case kToLowerCase:
            return ToLowerCase(name);
        case kLowerLetter:
            return ToLowerLetter(name);
        case kReverse:
            return ReverseName(name);
        case kReverseLetter:
            return ReverseLetterCase(name);
        case kToUpperCase:
            return ToUpperCase(name);
        case kUpperLetter:
            return ToUpperLetter(name);
        default:
            return std::u16string(name);
    }
}

}  // namespace brindle
