#include "engine/NaturalOrder.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <numeric>

#include "engine/TextOps.h"
#include "platform/NameCodec.h"

namespace brindle {

namespace {

// Key layout. Runs alternate, so a tag only says which kind comes first and tells the end
// of a name (nothing) from a following run:
//   digit run:  kDigitRun, Count(significant digits), the digits, Count(leading zeros)
//   other run:  kTextRun, each folded code point + 1 in (extended) UTF-8, kRunEnd
// UTF-8 keeps the order of code points; the + 1 keeps every byte of a run above kRunEnd.
constexpr char kRunEnd = 0x00;
constexpr char kDigitRun = 0x01;
constexpr char kTextRun = 0x02;

bool IsAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// A count whose encoding compares as the count does: one byte below 255, else 255 and
// eight bytes, most significant first.
void AppendCount(std::string& key, std::size_t count) {
    if (count < 0xFF) {
        key.push_back(static_cast<char>(count));
        return;
    }
    key.push_back(static_cast<char>(0xFF));
    for (int shift = 56; shift >= 0; shift -= 8)
        key.push_back(static_cast<char>((static_cast<std::uint64_t>(count) >> shift) & 0xFF));
}

void AppendOrdered(std::string& key, char32_t value) {
    if (value < 0x80) {
        key.push_back(static_cast<char>(value));
    } else if (value < 0x800) {
        key.push_back(static_cast<char>(0xC0 | (value >> 6)));
        key.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else if (value < 0x10000) {
        key.push_back(static_cast<char>(0xE0 | (value >> 12)));
        key.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        key.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else {
        key.push_back(static_cast<char>(0xF0 | (value >> 18)));
        key.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
        key.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        key.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    }
}

char32_t Fold(char32_t c) {
    if (c < 0x80)
        return AsciiToLower(static_cast<char16_t>(c));
    if (IsSurrogate(c))
        return c;
    return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

int CompareBytes(std::u16string_view a, std::u16string_view b) {
    return Sign(EncodeName(a).compare(EncodeName(b)));
}

template <typename Less>
std::vector<std::size_t> SortedIndices(std::size_t count, Less less) {
    std::vector<std::size_t> indices(count);
    std::iota(indices.begin(), indices.end(), std::size_t{0});
    // Stable: names of equal bytes (never two entries of one folder) keep their order.
    std::stable_sort(indices.begin(), indices.end(), less);
    return indices;
}

}  // namespace

std::string NaturalSortKey(std::u16string_view name) {
    std::string key;
    key.reserve(name.size() + 8);
    const std::size_t size = name.size();
    for (std::size_t i = 0; i < size;) {
        if (IsAsciiDigit(name[i])) {
            std::size_t zeros = 0;
            while (i < size && name[i] == u'0') {
                ++zeros;
                ++i;
            }
            std::size_t end = i;
            while (end < size && IsAsciiDigit(name[end]))
                ++end;
            key.push_back(kDigitRun);
            AppendCount(key, end - i);
            for (; i < end; ++i)
                key.push_back(static_cast<char>(name[i]));
            AppendCount(key, zeros);
        } else {
            key.push_back(kTextRun);
            while (i < size && !IsAsciiDigit(name[i])) {
                const CodePoint c = CodePointAt(name, i);
                AppendOrdered(key, Fold(c.value) + 1);
                i += c.units;
            }
            key.push_back(kRunEnd);
        }
    }
    return key;
}

int CompareNatural(std::u16string_view a, std::u16string_view b) {
    const int byKey = Sign(NaturalSortKey(a).compare(NaturalSortKey(b)));
    return byKey != 0 ? byKey : CompareBytes(a, b);
}

std::vector<std::size_t> NameOrderIndices(const std::vector<std::u16string_view>& names,
                                          NameOrder order) {
    switch (order) {
        case NameOrder::Natural: {
            std::vector<std::string> keys;
            keys.reserve(names.size());
            for (const std::u16string_view name : names)
                keys.push_back(NaturalSortKey(name));
            // Equal keys are rare (names that differ in letter case only), so their bytes
            // are made only when needed.
            return SortedIndices(names.size(), [&](std::size_t x, std::size_t y) {
                const int byKey = keys[x].compare(keys[y]);
                return byKey != 0 ? byKey < 0 : CompareBytes(names[x], names[y]) < 0;
            });
        }
        case NameOrder::Bytes: {
            std::vector<std::string> bytes;
            bytes.reserve(names.size());
            for (const std::u16string_view name : names)
                bytes.push_back(EncodeName(name));
            return SortedIndices(names.size(),
                                 [&](std::size_t x, std::size_t y) { return bytes[x] < bytes[y]; });
        }
        case NameOrder::None:
            break;
    }
    std::vector<std::size_t> indices(names.size());
    std::iota(indices.begin(), indices.end(), std::size_t{0});
    return indices;
}

void OrderFolderEntries(std::vector<FolderEntry>& entries, NameOrder order) {
    if (order == NameOrder::None || entries.size() < 2)
        return;
    std::vector<std::u16string_view> names;
    names.reserve(entries.size());
    for (const FolderEntry& entry : entries)
        names.push_back(entry.name);
    const std::vector<std::size_t> indices = NameOrderIndices(names, order);
    std::vector<FolderEntry> sorted;
    sorted.reserve(entries.size());
    for (const std::size_t index : indices)
        sorted.push_back(std::move(entries[index]));
    entries = std::move(sorted);
}

}  // namespace brindle
