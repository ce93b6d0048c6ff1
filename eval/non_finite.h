// SPDX-License-Identifier: MIT
// The texts of the values without digits, as the evaluation service writes them.
#pragma once

#include <string_view>

namespace tavrel::eval {

inline constexpr std::string_view kInfinityText = "1.#INF";
inline constexpr std::string_view kMinusInfinityText = "-1.#INF";
inline constexpr std::string_view kNaNText = "-1.#IND";

// Returns the text of an infinity or of NaN.
inline constexpr std::string_view non_finite_text(bool nan, bool negative) {
  if (nan) return kNaNText;
  return negative ? kMinusInfinityText : kInfinityText;
}

}  // namespace tavrel::eval
