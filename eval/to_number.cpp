// SPDX-License-Identifier: MIT
#include "eval/to_number.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <limits>
#include <system_error>

#include "eval/non_finite.h"
#include "text/half_width.h"
#include "text/text.h"

namespace tavrel::eval {
namespace {

// Significant digits that take part in the value; later ones only move the decimal point.
constexpr int kKeptDigits = 24;

// An exponent stops growing here: far beyond any double, yet adding the point shift of a text
// of any size to it cannot overflow 64 bits.
constexpr std::int64_t kExponentCap = 100'000'000'000'000'000;

// Decimal exponents of the leading digit beyond which every value is an infinity or a zero.
constexpr std::int64_t kAboveLargest = 309;    // 1e309 > DBL_MAX (1.8e308)
constexpr std::int64_t kBelowSmallest = -325;  // 9.9e-325 < half the smallest subnormal (4.9e-324)

using text::is_digit;
using text::is_white_space;

// The texts the evaluation service writes for values without digits.
struct NonFiniteToken {
  std::string_view text;
  double value;
};
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::array<NonFiniteToken, 6> kNonFiniteTokens = {{
    {kInfinityText, kInf},
    {kMinusInfinityText, -kInf},
    {"1.#IND", kNaN},
    {kNaNText, kNaN},
    {"1.#QNAN", kNaN},
    {"-1.#QNAN", kNaN},
}};

// Folding changes only two-byte characters, so a text of one-byte characters is read in place
// and only others are folded into `folded`.
std::string_view folded_view(std::string_view t, text::Text& folded) {
  const bool one_byte_only = std::none_of(
      t.begin(), t.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (one_byte_only) return t;
  folded = text::to_half_width(t);
  return folded;
}

std::size_t skip_spaces(std::string_view t, std::size_t i) {
  while (i < t.size() && is_white_space(t[i])) ++i;
  return i;
}

// Returns the double nearest to digits × 10^exponent, where digits holds 1 to 24 digits without
// leading zeros.
double scaled_value(std::string_view digits, std::int64_t exponent) {
  const std::int64_t leading = exponent + static_cast<std::int64_t>(digits.size()) - 1;
  if (leading >= kAboveLargest) return kInf;
  if (leading <= kBelowSmallest) return 0.0;

  // 24 digits, "e" and an exponent of at most four digits with its sign.
  std::array<char, 40> buffer{};
  char* out = std::copy(digits.begin(), digits.end(), buffer.data());
  *out++ = 'e';
  out = std::to_chars(out, buffer.data() + buffer.size(), exponent).ptr;

  double value = 0.0;
  const std::from_chars_result read = std::from_chars(buffer.data(), out, value);
  if (read.ec == std::errc::result_out_of_range) return leading > 0 ? kInf : 0.0;
  return value;
}

double read_number(std::string_view t) {
  std::size_t i = skip_spaces(t, 0);
  for (const NonFiniteToken& token : kNonFiniteTokens) {
    if (t.substr(i).starts_with(token.text)) return token.value;
  }

  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';

  std::array<char, kKeptDigits> digits{};
  int kept = 0;
  std::int64_t exponent = 0;  // the value is digits × 10^exponent
  bool any_digit = false;
  for (; i < t.size() && is_digit(t[i]); ++i) {
    any_digit = true;
    if (kept == 0 && t[i] == '0') continue;
    if (kept < kKeptDigits) {
      digits[kept++] = t[i];
    } else {
      ++exponent;
    }
  }
  if (i < t.size() && t[i] == '.') {
    for (++i; i < t.size() && is_digit(t[i]); ++i) {
      any_digit = true;
      if (kept == 0 && t[i] == '0') {
        --exponent;
      } else if (kept < kKeptDigits) {
        digits[kept++] = t[i];
        --exponent;
      }
    }
  }
  if (!any_digit) return 0.0;

  // An exponent letter counts only when digits follow it, after an optional sign.
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
    std::size_t j = i + 1;
    bool exponent_negative = false;
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) exponent_negative = t[j++] == '-';
    std::int64_t written = 0;
    for (; j < t.size() && is_digit(t[j]); ++j) {
      if (written < kExponentCap) written = written * 10 + (t[j] - '0');
    }
    exponent += exponent_negative ? -written : written;
  }

  const double magnitude =
      kept == 0 ? 0.0 : scaled_value(std::string_view(digits.data(), kept), exponent);
  return negative ? -magnitude : magnitude;
}

std::int32_t read_integer(std::string_view t) {
  std::size_t i = skip_spaces(t, 0);
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  std::uint32_t value = 0;
  for (; i < t.size() && is_digit(t[i]); ++i)
    value = value * 10u + static_cast<std::uint32_t>(t[i] - '0');
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

}  // namespace

double to_number(std::string_view t) {
  text::Text folded;
  return read_number(folded_view(t, folded));
}

std::int32_t to_integer(std::string_view t) {
  text::Text folded;
  return read_integer(folded_view(t, folded));
}

}  // namespace tavrel::eval
