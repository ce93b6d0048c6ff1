// SPDX-License-Identifier: MIT
#include "eval/to_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

namespace tavrel::eval {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The same double: equal with the same sign (so 0 and -0 differ), or both NaN.
::testing::AssertionResult same_double(double actual, double expected) {
  if (std::isnan(expected) && std::isnan(actual)) return ::testing::AssertionSuccess();
  if (actual == expected && std::signbit(actual) == std::signbit(expected)) {
    return ::testing::AssertionSuccess();
  }
  char text[96];
  std::snprintf(text, sizeof text, "got %.17g, expected %.17g", actual, expected);
  return ::testing::AssertionFailure() << text;
}

struct number_row {
  const char* name;
  std::string in;
  double out;
};

void check_rows(const number_row* begin, const number_row* end) {
  for (const number_row* row = begin; row != end; ++row) {
    EXPECT_TRUE(same_double(to_number(row->in), row->out)) << row->name << " \"" << row->in << '"';
  }
}

template <std::size_t N>
void check_rows(const number_row (&rows)[N]) {
  check_rows(rows, rows + N);
}

TEST(ToNumber, ReadsTheNumberAtTheStart) {
  const number_row rows[] = {
      {"empty", "", 0.0},
      {"integer", "3", 3.0},
      {"white_space_and_sign", "  \t-2.5", -2.5},
      {"all_white_space_bytes", "\t\n\v\f\r 7", 7.0},
      {"thirteen_decimals", "0.3333333333333", 0.3333333333333},
      {"point_first", ".5", 0.5},
      {"point_last", "5.", 5.0},
      {"sign_then_point", "-.5", -0.5},
      {"plus_sign", "+4", 4.0},
      {"exponent_upper", "1E+20", 1e20},
      {"exponent_lower", "1e20", 1e20},
      {"exponent_d", "1D20", 1e20},
      {"exponent_small_d", "1d3", 1000.0},
      {"negative_exponent", "2.5E-7", 2.5e-7},
      {"point_then_exponent", "5.e3", 5000.0},
      {"written_by_format", "1.234567890123e+013", 1.234567890123e13},
      {"trailing_text", "12abc", 12.0},
      {"stops_at_second_point", "1.2.3", 1.2},
      {"stops_at_comma", "1,5", 1.0},
      {"hex_is_zero", "0x10", 0.0},
      {"negative_zero", "-0", -0.0},
      {"negative_zero_decimals", "-0.000", -0.0},
  };
  check_rows(rows);
}

TEST(ToNumber, ExponentNeedsDigits) {
  const number_row rows[] = {
      {"letter_only", "1e", 1.0},
      {"letter_and_sign", "1e+", 1.0},
      {"letter_and_minus", "2.5e-", 2.5},
      {"letter_then_text", "1ex", 1.0},
      {"d_only", "3D", 3.0},
      {"sign_then_blank", "1e+ 5", 1.0},
      {"second_letter", "1ee5", 1.0},
  };
  check_rows(rows);
}

TEST(ToNumber, TextsWithoutANumberReadAsPositiveZero) {
  const number_row rows[] = {
      {"word", "abc", 0.0},
      {"point", ".", 0.0},
      {"minus", "-", 0.0},
      {"plus_point", "+.", 0.0},
      {"inf_word", "inf", 0.0},
      {"nan_word", "nan", 0.0},
      {"blank_after_sign", "- 5", 0.0},  // the sign must touch the digits
      {"two_signs", "--5", 0.0},
      {"exponent_only", "e5", 0.0},
      {"minus_point", "-.e5", 0.0},
  };
  check_rows(rows);
}

TEST(ToNumber, FoldsFullWidthCharacters) {
  const number_row rows[] = {
      // －１２．５ (A3 AD, A3 B1, A3 B2, A3 AE, A3 B5)
      {"full_width_number", "\xA3\xAD\xA3\xB1\xA3\xB2\xA3\xAE\xA3\xB5", -12.5},
      // 　７: the ideographic space A1 A1 folds to a space and is skipped
      {"ideographic_space", "\xA1\xA1\xA3\xB7", 7.0},
      // １ｅ３ with a full-width letter e (A3 E5)
      {"full_width_exponent", "\xA3\xB1\xA3\xE5\xA3\xB3", 1000.0},
      // 2 followed by the Chinese character 加 (BC D3) ends the number
      {"chinese_ends_number",
       "2\xBC\xD3"
       "3",
       2.0},
      // the digit is the trail byte of B0 B3, not a number
      {"trail_byte_is_no_digit",
       "\xB0"
       "3",
       0.0},
      {"lone_lead_dropped", "8\xA3", 8.0},
  };
  check_rows(rows);
}

TEST(ToNumber, NonFiniteTokensSurviveTheTrip) {
  const number_row rows[] = {
      {"plus_infinity", "1.#INF", kInf},
      {"minus_infinity", "-1.#INF", -kInf},
      {"indefinite", "-1.#IND", kNaN},
      {"positive_indefinite", "1.#IND", kNaN},
      {"quiet_nan", "1.#QNAN", kNaN},
      {"negative_quiet_nan", "-1.#QNAN", kNaN},
      {"after_white_space", " \t1.#INF", kInf},
      {"followed_by_text", "1.#INF00", kInf},
      // １．＃ＩＮＦ folds to 1.#INF
      {"full_width", "\xA3\xB1\xA3\xAE\xA3\xA3\xA3\xC9\xA3\xCE\xA3\xC6", kInf},
      // Anything that is not exactly a token reads as its numeric prefix.
      {"plus_sign_is_no_token", "+1.#INF", 1.0},
      {"lower_case_is_no_token", "1.#inf", 1.0},
      {"cut_token", "-1.#IN", -1.0},
      {"other_digit", "2.#INF", 2.0},
      {"blank_inside", "1. #INF", 1.0},
      {"leading_zero", "01.#INF", 1.0},
  };
  check_rows(rows);
}

TEST(ToNumber, OverflowsAndUnderflowsWithTheSign) {
  const number_row rows[] = {
      {"above_range", "1e400", kInf},
      {"below_minus_range", "-1e400", -kInf},
      {"just_above_largest", "1.8e308", kInf},
      {"largest", "1.7976931348623157e308", std::numeric_limits<double>::max()},
      {"below_smallest", "1e-400", 0.0},
      {"negative_below_smallest", "-1e-400", -0.0},
      {"smallest_subnormal", "4.9406564584124654e-324", std::numeric_limits<double>::denorm_min()},
      {"half_smallest_rounds_to_zero", "2.4e-324", 0.0},
      {"zero_with_huge_exponent", "0e999", 0.0},
      {"huge_exponent", "1e99999999999999999999999999999999", kInf},
      {"huge_negative_exponent", "-1e-99999999999999999999999999999", -0.0},
      {"zero_with_huge_negative_exponent", "-0e-99999999999999999999", -0.0},
      {"exponent_leading_zeros", "1e00000000000000000000000000000005", 1e5},
      // Digits beyond the range of a double that the exponent brings back.
      {"many_integer_digits_scaled_down", "1" + std::string(400, '0') + "e-400", 1.0},
      {"many_leading_zeros_scaled_up", "." + std::string(399, '0') + "1e400", 1.0},
  };
  check_rows(rows);
}

TEST(ToNumber, UsesTheFirst24SignificantDigits) {
  const number_row rows[] = {
      {"later_integer_digits_scale", "1" + std::string(30, '0'), 1e30},
      {"later_integer_digits_count_as_magnitude",
       "123456789012345678901234"
       "999999",
       1.23456789012345678901234e29},
      {"leading_zeros_do_not_count", std::string(30, '0') + "1.5", 1.5},
      {"fraction_leading_zeros_do_not_count", "0." + std::string(30, '0') + "25", 25e-32},
      // 1 + 2^-53 is the half between 1 and the next double; 24 digits stop below it, so the
      // extra digits that would lift the value above the half are not read.
      {"cut_below_half", "1.000000000000000111022302462515654042363166809082031251", 1.0},
      // 25 digits that lie above the half only through the 25th digit.
      {"twenty_fifth_digit_ignored", "1.000000000000000111022309", 1.0},
      {"above_half_within_24", "1.00000000000000011102231", 1.0000000000000002},
  };
  check_rows(rows);
}

TEST(ToNumber, LongTextsStayCheap) {
  const std::string million_digits = "1" + std::string(1'000'000, '7');
  EXPECT_TRUE(same_double(to_number(million_digits), kInf));
  EXPECT_TRUE(same_double(to_number("0." + std::string(1'000'000, '0') + "1"), 0.0));
  EXPECT_TRUE(same_double(to_number("1." + std::string(1'000'000, '9')), 2.0));
  EXPECT_TRUE(same_double(to_number("1" + std::string(1'000'000, '0') + "e-1000000"), 1.0));
  EXPECT_TRUE(same_double(to_number(std::string(1'000'000, ' ') + "-3"), -3.0));
  EXPECT_TRUE(same_double(to_number("1e" + std::string(1'000'000, '9')), kInf));
}

// Texts of at most 24 significant digits are read exactly as the C library's correctly rounded
// strtod reads them, over the whole range of exponents.
TEST(ToNumber, MatchesCorrectlyRoundedStrtod) {
  std::mt19937_64 random(20240404);
  std::uniform_int_distribution<int> digit_count(1, 24);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> point_at(0, 24);
  std::uniform_int_distribution<int> exponent(-360, 330);
  std::uniform_int_distribution<int> letter(0, 3);
  const char letters[] = "eEdD";
  for (int k = 0; k < 100'000; ++k) {
    std::string mantissa;
    const int count = digit_count(random);
    for (int i = 0; i < count; ++i) mantissa.push_back(static_cast<char>('0' + digit(random)));
    const int point = point_at(random);
    if (point < count) mantissa.insert(static_cast<std::size_t>(point), 1, '.');
    const std::string sign = k % 2 ? "-" : "";
    const std::string exp = std::to_string(exponent(random));
    const std::string in = sign + mantissa + letters[letter(random)] + exp;
    const std::string c_text = sign + mantissa + "e" + exp;
    const double expected = std::strtod(c_text.c_str(), nullptr);
    ASSERT_TRUE(same_double(to_number(in), expected)) << in;
  }
}

struct integer_row {
  const char* name;
  std::string in;
  std::int32_t out;
};

TEST(ToInteger, ReadsAndWraps) {
  const integer_row rows[] = {
      {"empty", "", 0},
      {"digit", "2", 2},
      {"blank_first", " 2", 2},
      {"plus_sign", "+2", 2},
      {"full_width_digit", "\xA3\xB2", 2},
      {"ideographic_space_first",
       "\xA1\xA1"
       "5",
       5},
      {"cut_at_point", "2.7", 2},
      {"negative_cut_at_point", "-2.7", -2},
      {"minus_one", "-1", -1},
      {"word", "abc", 0},
      {"blank_after_sign", "- 5", 0},
      {"point_first", ".5", 0},
      {"exponent_not_read", "1e3", 1},
      {"largest", "2147483647", 2147483647},
      {"wraps_to_smallest", "2147483648", -2147483647 - 1},
      {"smallest", "-2147483648", -2147483647 - 1},
      {"all_ones", "4294967295", -1},
      {"eleven_digits", "99999999999", 1215752191},
      {"two_to_the_32", "4294967296", 0},
      {"negative_wraps", "-4294967297", -1},
      {"leading_zeros", "000000000000000000000000012", 12},
  };
  for (const integer_row& row : rows) EXPECT_EQ(to_integer(row.in), row.out) << row.name;
}

TEST(ToInteger, LongDigitTextsWrapWithoutFault) {
  // 10^k mod 2^32 is 0 from k = 32 on, so a one followed by a million zeros reads as 0.
  EXPECT_EQ(to_integer("1" + std::string(1'000'000, '0')), 0);
  EXPECT_EQ(to_integer(std::string(1'000'000, '0') + "7"), 7);
}

}  // namespace
}  // namespace tavrel::eval
