#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace brindle {

// An optional sign and at least one decimal digit, nothing else, within a signed 32-bit
// integer: the rule of the dialog's integer edits and of brindle-cli's numbers.
std::optional<std::int32_t> ParseInt32(std::string_view text);
std::optional<std::int32_t> ParseInt32(std::u16string_view text);

}  // namespace brindle
