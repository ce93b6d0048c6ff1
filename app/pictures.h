// SPDX-License-Identifier: MIT
// The two pictures of the window, drawn in code: 16 x 16 pixels, 32 bits with alpha.
#pragma once

#include <array>
#include <cstdint>

namespace tavrel::app {

inline constexpr int kPictureSide = 16;

// Pixels row by row from the top, each 0xAARRGGBB (not premultiplied); 0 is transparent.
using Picture = std::array<std::uint32_t, kPictureSide * kPictureSide>;

// Returns the window icon: a small dark panel with coloured keys.
Picture window_icon();

// Returns the decimal places symbol: an arrow pointing left with ".0" and ".00".
Picture decimals_symbol();

}  // namespace tavrel::app
