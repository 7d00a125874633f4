#pragma once

#include <cstdint>

namespace brindle {

// Adds one with two's-complement wrap: the statistics and the running number are signed
// 32-bit counters and must never hit undefined behaviour, however long a program runs.
inline std::int32_t WrappingIncrement(std::int32_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1u);
}

// Running statistics of the batches and Undo shown in the Output Log's status line.
// maxInputLength/maxOutputLength are running maxima of name lengths (UTF-16 units),
// shown under the labels "Average Input length" / "Average Output length".
struct BatchStats {
    std::int32_t totalFiles = 0;
    std::int32_t changedFiles = 0;
    std::int32_t exceptions = 0;
    std::int32_t maxInputLength = 0;
    std::int32_t maxOutputLength = 0;
    std::int32_t nextRow = 0;
};

}  // namespace brindle
