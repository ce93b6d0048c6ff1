// SPDX-License-Identifier: MIT
// The layout rule: the two big boxes follow the size of the window's client area.
#pragma once

namespace tavrel::window {

// The largest width or height a control takes.
inline constexpr int kMaxExtent = 32627;

// The sizes the layout rule gives the input box and the result box.
struct BoxLayout {
  int input_width;
  int result_width;
  int result_height;
};

// Returns a width or height as a control applies it: cut toward zero, below 0 as 0, above
// kMaxExtent as kMaxExtent.
int control_extent(double value);

// Returns the layout for a client area: both boxes 4 pixels narrower than it, the result box
// reaching down to 4 pixels above its bottom edge from its top at result_top.
BoxLayout layout_rule(int client_width, int client_height, int result_top);

}  // namespace tavrel::window
