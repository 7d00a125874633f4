#pragma once

#include <cstdint>

namespace brindle {

// Option bits of a balloon: what closes it, what it shows, how it appears.
inline constexpr std::uint32_t BH_CLOSE_ON_LEFT_UP = 0x0001;
inline constexpr std::uint32_t BH_CLOSE_ON_MIDDLE_UP = 0x0002;
inline constexpr std::uint32_t BH_CLOSE_ON_RIGHT_UP = 0x0004;
inline constexpr std::uint32_t BH_CLOSE_ON_LEFT_DOWN = 0x0008;
inline constexpr std::uint32_t BH_CLOSE_ON_MIDDLE_DOWN = 0x0010;
inline constexpr std::uint32_t BH_CLOSE_ON_RIGHT_DOWN = 0x0020;
inline constexpr std::uint32_t BH_CLOSE_ON_MOUSE_MOVE = 0x0040;
inline constexpr std::uint32_t BH_CLOSE_ON_KEY = 0x0080;
inline constexpr std::uint32_t BH_CLOSE_ON_ANY_MOUSE = 0x007F;
inline constexpr std::uint32_t BH_DELAY_CLOSE = 0x0100;
inline constexpr std::uint32_t BH_DELETE_ON_DESTROY = 0x0200;
inline constexpr std::uint32_t BH_SHOW_CLOSE_BUTTON = 0x0400;
inline constexpr std::uint32_t BH_INNER_SHADOW = 0x0800;
inline constexpr std::uint32_t BH_TOPMOST = 0x1000;
inline constexpr std::uint32_t BH_NO_DROP_SHADOW = 0x2000;
inline constexpr std::uint32_t BH_NO_FADE_IN = 0x4000;
inline constexpr std::uint32_t BH_NO_FADE_OUT = 0x8000;
inline constexpr std::uint32_t BH_NO_FADE = 0xC000;

// Pixels between the border and the header and content.
inline constexpr int BH_MARGIN = 8;
// Height of the tail, and width of its base.
inline constexpr int BH_TAIL = 20;

}  // namespace brindle
