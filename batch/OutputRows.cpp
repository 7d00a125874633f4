#include "batch/OutputRows.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/TextOps.h"

namespace brindle {

const std::u16string& OutputRow::text(int column) const {
    static const std::u16string kNoText;
    switch (column) {
        case kColumnInput:
            return input;
        case kColumnOutput:
            return output;
        case kColumnCount:
            return count;
        case kColumnFolder:
            return folder;
        default:
            return kNoText;
    }
}

namespace {

// Letters fold to lower case, as the list's case-blind comparison does; every other
// character keeps its code (so '_' sorts before the letters).
int CompareFolded(std::u16string_view a, std::u16string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t x = AsciiToLower(a[i]);
        const char16_t y = AsciiToLower(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::u16string PadCount(const std::u16string& text, std::size_t width) {
    return std::u16string(width - text.size(), u'-') + text;
}

}  // namespace

int CompareRows(const OutputRow& a, const OutputRow& b, int column, int direction) {
    const std::u16string& x = a.text(column);
    const std::u16string& y = b.text(column);
    int result = 0;
    if (column == kColumnCount) {
        // Numbers of different lengths compare by value once padded to one width.
        const std::size_t width = std::max(x.size(), y.size());
        result = CompareFolded(PadCount(x, width), PadCount(y, width));
    } else {
        result = CompareFolded(x, y);
    }
    return result * direction;
}

void OutputRowStore::Sort(int column, int direction) {
    std::stable_sort(rows_.begin(), rows_.end(),
                     [column, direction](const OutputRow& a, const OutputRow& b) {
                         return CompareRows(a, b, column, direction) < 0;
                     });
}

namespace {

void AppendAscii(std::u16string& out, std::string_view text) {
    for (const char c : text)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
}

void AppendNumber(std::u16string& out, std::int32_t value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    AppendAscii(out, std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

}  // namespace

void FormatStatus(const BatchStats& stats, std::u16string& out) {
    out.clear();
    AppendAscii(out, "Total files: ");
    AppendNumber(out, stats.totalFiles);
    AppendAscii(out, " | Changed files: ");
    AppendNumber(out, stats.changedFiles);
    AppendAscii(out, " | Average Input length: ");
    AppendNumber(out, stats.maxInputLength);
    AppendAscii(out, " | Average Output length: ");
    AppendNumber(out, stats.maxOutputLength);
    AppendAscii(out, " | Exceptions: ");
    AppendNumber(out, stats.exceptions);
}

std::u16string FormatStatus(const BatchStats& stats) {
    std::u16string text;
    FormatStatus(stats, text);
    return text;
}

}  // namespace brindle
