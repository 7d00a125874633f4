#include "engine/IntegerText.h"

#include <limits>
#include <string>

namespace brindle {

namespace {

template <typename Char>
std::optional<std::int32_t> ParseDecimal(std::basic_string_view<Char> text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == Char('+') || text[pos] == Char('-'))) {
        negative = text[pos] == Char('-');
        ++pos;
    }
    if (pos == text.size())
        return std::nullopt;
    // One past INT32_MAX is the magnitude of INT32_MIN.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const Char c = text[pos];
        if (c < Char('0') || c > Char('9'))
            return std::nullopt;
        magnitude = magnitude * 10 + (c - Char('0'));
        if (magnitude > kLimit)
            return std::nullopt;
    }
    if (!negative && magnitude == kLimit)
        return std::nullopt;
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    return ParseDecimal(text);
}

std::optional<std::int32_t> ParseInt32(std::u16string_view text) {
    return ParseDecimal(text);
}

namespace {

std::u16string Widened(const std::string& digits) {
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::u16string DecimalText(std::int64_t value) {
    return Widened(std::to_string(value));
}

std::u16string DecimalText(std::uint64_t value) {
    return Widened(std::to_string(value));
}

}  // namespace brindle
