#include "batch/RowData.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "batch/Messages.h"

namespace brindle {

std::u16string_view SuffixText(RowSuffix suffix) {
    switch (suffix) {
        case RowSuffix::ReadOnly:
            return kTextReadOnly;
        case RowSuffix::ErrorOpening:
            return kTextErrorOpeningFile;
        case RowSuffix::None:
            break;
    }
    return {};
}

std::u16string ReasonLine(const RowData& row) {
    if (row.reasonPath.empty())
        return std::u16string(row.reason);
    std::u16string line(row.reasonPath);
    line += u": ";
    line += row.reason;
    return line;
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
