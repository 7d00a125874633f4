#pragma once

#include <string>
#include <string_view>

namespace brindle {

// The seven modes of the conversion group, numbered as the radio buttons.
enum ConversionMode : int {
    kNoConversion = 0,
    kToLowerCase = 1,
    kLowerLetter = 2,
    kReverse = 3,
    kReverseLetter = 4,
    kToUpperCase = 5,
    kUpperLetter = 6,
};

// Every mode works on code points, with Unicode's simple case mapping and no locale: the
// result is the same on every machine and has as many code points as the name ('ß' stays
// 'ß' in upper case, 'Σ' lowers to 'σ' wherever it stands). Surrogates that are not part
// of a pair, the name codec's byte escapes among them, are never changed.
std::u16string ToLowerCase(std::u16string_view name);
std::u16string ToUpperCase(std::u16string_view name);
std::u16string ToLowerLetter(std::u16string_view name);
std::u16string ToUpperLetter(std::u16string_view name);
std::u16string ReverseName(std::u16string_view name);
std::u16string ReverseLetterCase(std::u16string_view name);

// One code point's simple upper or lower case mapping, as the conversions use it.
char32_t SimpleUpper(char32_t c);
char32_t SimpleLower(char32_t c);

// Applies the conversion of `mode`; any value outside 0..6 changes nothing.
std::u16string ApplyConversion(int mode, std::u16string_view name);
// The same on `name` itself, as the name stages take it.
void ApplyConversionTo(int mode, std::u16string& name);

// The name with every code point replaced by its simple case folding (no locale), byte
// escapes and lone surrogates untouched: two names that differ only in letter case fold
// to one text, as a filesystem that ignores case takes them for one name.
std::u16string CaseFolded(std::u16string_view name);

}  // namespace brindle
