// SPDX-License-Identifier: MIT
#include "app/decimals.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

namespace tavrel::app {
namespace {

// Reads a signed decimal at the start of t, accumulating modulo 2^64.
std::int64_t read_int64_wrapping(std::string_view t) {
  std::size_t i = 0;
  while (i < t.size() && text::is_white_space(t[i])) ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  std::uint64_t value = 0;
  for (; i < t.size() && text::is_digit(t[i]); ++i) {
    value = value * 10 + static_cast<std::uint64_t>(t[i] - '0');
  }
  if (negative) value = 0 - value;
  return static_cast<std::int64_t>(value);
}

}  // namespace

bool accepts_decimals_char(char32_t code) {
  return code < 32 || code == '-' || (code < 0x80 && text::is_digit(static_cast<char>(code)));
}

text::Text tidy_decimals(std::string_view t) {
  const std::int64_t value =
      std::clamp<std::int64_t>(read_int64_wrapping(t), std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max());
  return value == 0 ? text::Text() : std::to_string(value);
}

}  // namespace tavrel::app
