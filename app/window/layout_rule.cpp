// SPDX-License-Identifier: MIT
#include "app/window/layout_rule.h"

#include <cmath>

namespace tavrel::window {

int control_extent(double value) {
  if (!(value > 0)) return 0;  // NaN as well
  if (value > kMaxExtent) return kMaxExtent;
  return static_cast<int>(std::trunc(value));
}

BoxLayout layout_rule(int client_width, int client_height, int result_top) {
  const double w = client_width;
  const double h = client_height;
  return {control_extent(w - 4), control_extent(w - 4), control_extent(h - result_top - 4)};
}

}  // namespace tavrel::window
