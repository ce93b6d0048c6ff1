// SPDX-License-Identifier: MIT
#include "app/window_rules.h"

#include <cmath>

namespace tavrel::app {

std::optional<text::Text> text_to_copy(std::string_view result) {
  if (text::compare(result, "") == 0) return std::nullopt;
  return text::Text(result);
}

int centred(int screen_extent, int window_extent) {
  return (screen_extent - window_extent) / 2;
}

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

}  // namespace tavrel::app
