#include "engine/CaseConversion.h"

#include <unicode/uchar.h>

#include <algorithm>

#include "engine/TextOps.h"

namespace brindle {

namespace {

// Simple mappings of one code point, never a locale's. ASCII is mapped here directly, as
// ICU maps it too. Surrogate code points (the name codec's byte escapes among them) map to
// themselves in ICU as well; they are passed over here so that no table can change them.
char32_t Lower(char32_t c) {
    if (c < 0x80)
        return AsciiToLower(static_cast<char16_t>(c));
    return IsSurrogate(c) ? c : static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
}

char32_t Upper(char32_t c) {
    if (c < 0x80)
        return AsciiToUpper(static_cast<char16_t>(c));
    return IsSurrogate(c) ? c : static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
}

// An upper-case letter is lowered, anything else raised.
char32_t SwapCase(char32_t c) {
    if (c < 0x80)
        return IsAsciiUpper(static_cast<char16_t>(c)) ? Lower(c) : Upper(c);
    if (IsSurrogate(c))
        return c;
    return u_isUUppercase(static_cast<UChar32>(c)) ? Lower(c) : Upper(c);
}

bool IsWordSeparator(char32_t c) {
    return c == U' ' || c == U'_' || c == U'(' || c == U'.';
}

// The word scan shared by Upper Letter and Lower Letter, in code points. The code point
// converted after a separator is stepped over, never examined as a separator itself:
// 'a  b' keeps its 'b'.
template <typename Convert>
std::u16string ConvertWordStarts(std::u16string_view name, Convert convert) {
    std::u16string result;
    result.reserve(name.size());
    const std::size_t size = name.size();
    for (std::size_t i = 0; i < size;) {
        const CodePoint c = CodePointAt(name, i);
        AppendCodePoint(result, i == 0 ? convert(c.value) : c.value);
        i += c.units;
        if (IsWordSeparator(c.value) && i < size) {
            const CodePoint next = CodePointAt(name, i);
            AppendCodePoint(result, convert(next.value));
            i += next.units;
        }
    }
    return result;
}

template <typename Convert>
std::u16string ConvertEachByAppending(std::u16string_view name, Convert convert) {
    std::u16string result;
    result.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const CodePoint c = CodePointAt(name, i);
        AppendCodePoint(result, convert(c.value));
        i += c.units;
    }
    return result;
}

// In place, on a copy: simple mappings keep a code point within its plane, so the name
// keeps its length in UTF-16 units too (else the appending way is taken).
template <typename Convert>
std::u16string ConvertEach(std::u16string_view name, Convert convert) {
    std::u16string result(name);
    for (std::size_t i = 0; i < result.size();) {
        const char16_t unit = result[i];
        if (unit < 0x80) {
            result[i] = static_cast<char16_t>(convert(unit));
            ++i;
            continue;
        }
        const CodePoint c = CodePointAt(name, i);
        const char32_t mapped = convert(c.value);
        if ((mapped < 0x10000 ? 1u : 2u) != c.units)
            return ConvertEachByAppending(name, convert);
        if (c.units == 1) {
            result[i] = static_cast<char16_t>(mapped);
        } else {
            const char32_t offset = mapped - 0x10000;
            result[i] = static_cast<char16_t>(0xD800 + (offset >> 10));
            result[i + 1] = static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
        }
        i += c.units;
    }
    return result;
}

}  // namespace

char32_t SimpleUpper(char32_t c) {
    return Upper(c);
}

char32_t SimpleLower(char32_t c) {
    return Lower(c);
}

std::u16string ToLowerCase(std::u16string_view name) {
    return ConvertEach(name, [](char32_t c) { return Lower(c); });
}

std::u16string ToUpperCase(std::u16string_view name) {
    return ConvertEach(name, [](char32_t c) { return Upper(c); });
}

std::u16string ToLowerLetter(std::u16string_view name) {
    return ConvertWordStarts(name, Lower);
}

std::u16string ToUpperLetter(std::u16string_view name) {
    return ConvertWordStarts(name, Upper);
}

// Code points, so a surrogate pair stays whole; a combining mark keeps its position in
// the reversed order and so ends up before its base letter.
std::u16string ReverseName(std::u16string_view name) {
    std::u16string result(name.size(), u'\0');
    std::size_t end = name.size();
    for (std::size_t i = 0; i < name.size();) {
        const CodePoint c = CodePointAt(name, i);
        end -= c.units;
        std::copy_n(name.begin() + static_cast<std::ptrdiff_t>(i), c.units,
                    result.begin() + static_cast<std::ptrdiff_t>(end));
        i += c.units;
    }
    return result;
}

std::u16string ReverseLetterCase(std::u16string_view name) {
    return ConvertEach(name, [](char32_t c) { return SwapCase(c); });
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

void ApplyConversionTo(int mode, std::u16string& name) {
    // A name all in ASCII, as most are, changes case where it stands, with no copy.
    if ((mode == kToLowerCase || mode == kToUpperCase) &&
        std::all_of(name.begin(), name.end(), [](char16_t unit) { return unit < 0x80; })) {
        for (char16_t& unit : name)
            unit = mode == kToLowerCase ? AsciiToLower(unit) : AsciiToUpper(unit);
        return;
    }
    name = ApplyConversion(mode, name);
}

std::u16string CaseFolded(std::u16string_view name) {
    std::u16string result;
    result.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const CodePoint c = CodePointAt(name, i);
        i += c.units;
        if (c.value < 0x80) {
            result.push_back(AsciiToLower(static_cast<char16_t>(c.value)));
        } else if (IsSurrogate(c.value)) {
            result.push_back(static_cast<char16_t>(c.value));
        } else {
            AppendCodePoint(result, static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c.value),
                                                                     U_FOLD_CASE_DEFAULT)));
        }
    }
    return result;
}

}  // namespace brindle
