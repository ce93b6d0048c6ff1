// SPDX-License-Identifier: MIT
// The window's two 16 x 16 pictures, drawn pixel by pixel.
#pragma once

#include <QImage>

namespace tavrel::window {

// Returns the window icon: a small dark calculator panel with a display and coloured keys,
// 16 x 16, 32 bits per pixel with alpha.
QImage window_icon();

// Returns the decimal places symbol: an arrow pointing left with ".0" and ".00", 16 x 16,
// 32 bits per pixel with alpha.
QImage decimals_symbol();

}  // namespace tavrel::window
