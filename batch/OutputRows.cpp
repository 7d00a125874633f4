#include "batch/OutputRows.h"

#include <algorithm>
#include <string>

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

std::u16string FormatStatus(const BatchStats& stats) {
    const std::string text = "Total files: " + std::to_string(stats.totalFiles) +
                             " | Changed files: " + std::to_string(stats.changedFiles) +
                             " | Average Input length: " + std::to_string(stats.maxInputLength) +
                             " | Average Output length: " + std::to_string(stats.maxOutputLength) +
                             " | Exceptions: " + std::to_string(stats.exceptions);
    return FromAscii(text);
}

}  // namespace brindle
