// SPDX-License-Identifier: MIT
#include "app/decimals.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrel::app {
namespace {

struct tidy_row {
  const char* name;
  std::string in;
  std::string out;
};

TEST(TidyDecimals, ReadsClampsAndEmptiesZero) {
  const tidy_row rows[] = {
      {"empty", "", ""},
      {"plain", "2", "2"},
      {"leading_zeros", "007", "7"},
      {"zero_becomes_empty", "0", ""},
      {"dash_becomes_empty", "-", ""},
      {"double_dash", "--5", ""},
      {"negative", "-3", "-3"},
      {"plus_sign", "+4", "4"},
      {"white_space_skipped", " \t12", "12"},
      {"stops_at_other_byte", "12a3", "12"},
      {"clamped_high", "99999999999", "2147483647"},
      {"clamped_low", "-99999999999", "-2147483648"},
      {"int32_min", "-2147483648", "-2147483648"},
      // Digits accumulate modulo 2^64: 2^64 + 5 reads as 5.
      {"wraps_64_bit", "18446744073709551621", "5"},
      // 2^63 wraps to the most negative 64-bit value, then clamps.
      {"wraps_to_negative", "9223372036854775808", "-2147483648"},
      {"two_hundred_digits", std::string(200, '9'), "-1"},
  };
  for (const tidy_row& row : rows) EXPECT_EQ(tidy_decimals(row.in), row.out) << row.name;
}

TEST(AcceptsDecimalsChar, PassesDigitsDashAndControls) {
  for (char32_t c : {U'0', U'9', U'-', U'\b', U'\x16', U'\x03'})
    EXPECT_TRUE(accepts_decimals_char(c));
  for (char32_t c : {U'a', U'.', U' ', U'+', U'\x7F', U'\xFF10'})
    EXPECT_FALSE(accepts_decimals_char(c));
}

}  // namespace
}  // namespace tavrel::app
