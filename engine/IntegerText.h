#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace brindle {

// An optional sign and at least one decimal digit, nothing else, within a signed 32-bit
// integer: the rule of the dialog's integer edits and of brindle-cli's numbers.
std::optional<std::int32_t> ParseInt32(std::string_view text);
std::optional<std::int32_t> ParseInt32(std::u16string_view text);

// A number in decimal digits, '-' before a negative one: how the messages write counts.
std::u16string DecimalText(std::int64_t value);
std::u16string DecimalText(std::uint64_t value);
template <typename Integer>
std::u16string DecimalText(Integer value) {
    if constexpr (std::is_signed_v<Integer>)
        return DecimalText(static_cast<std::int64_t>(value));
    else
        return DecimalText(static_cast<std::uint64_t>(value));
}

}  // namespace brindle
