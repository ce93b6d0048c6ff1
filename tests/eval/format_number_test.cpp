// SPDX-License-Identifier: MIT
#include "eval/format_number.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "eval/to_number.h"

namespace tavrel::eval {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int32_t kMaxCount = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinCount = std::numeric_limits<std::int32_t>::min();

struct format_row {
  const char* name;
  double x;
  std::optional<std::int32_t> n;
  std::string out;
};

void check_rows(const format_row* begin, const format_row* end, bool grouping = false) {
  for (const format_row* row = begin; row != end; ++row) {
    EXPECT_EQ(format_number(row->x, row->n, grouping), row->out) << row->name;
  }
}

template <std::size_t N>
void check_rows(const format_row (&rows)[N], bool grouping = false) {
  check_rows(rows, rows + N, grouping);
}

TEST(FormatNumber, WritesThirteenSignificantDigits) {
  const format_row rows[] = {
      {"integer", 3, {}, "3"},
      {"half", 2.5, {}, "2.5"},
      {"one_third", 1.0 / 3, {}, "0.3333333333333"},
      {"two_thirds", 2.0 / 3, {}, "0.6666666666667"},
      {"hundred", 100, {}, "100"},
      {"thirteen_digits", 1234567890123, {}, "1234567890123"},
      {"fourteen_digits", 12345678901234, {}, "1.234567890123e+013"},
      {"ten_to_the_13", 1e13, {}, "1e+013"},
      // rounds up to 10^13 at 13 digits, so it takes the exponent form
      {"rounds_into_exponent_form", 9999999999999.5, {}, "1e+013"},
      {"ten_to_the_20", 1e20, {}, "1e+020"},
      {"ten_to_the_300", 1e300, {}, "1e+300"},
      {"largest", std::numeric_limits<double>::max(), {}, "1.797693134862e+308"},
      {"ten_thousandth", 0.0001, {}, "0.0001"},
      {"small_plain", 0.000123456789012345, {}, "0.0001234567890123"},
      {"hundred_thousandth", 0.00001, {}, "1e-005"},
      {"ten_millionth", 1e-7, {}, "1e-007"},
      {"one_and_a_half_e_minus_7", 1.5e-7, {}, "1.5e-007"},
      {"smallest_subnormal", std::numeric_limits<double>::denorm_min(), {}, "4.940656458412e-324"},
      {"negative", -12.5, {}, "-12.5"},
      {"negative_exponent_form", -1e-300, {}, "-1e-300"},
      {"zero", 0.0, {}, "0"},
      {"negative_zero", -0.0, {}, "0"},
      {"sum_error_hidden", 0.1 + 0.2, {}, "0.3"},
  };
  check_rows(rows);
}

TEST(FormatNumber, WritesNonFiniteValuesAsTokens) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const format_row rows[] = {
      {"plus_infinity", kInf, {}, "1.#INF"},
      {"minus_infinity", -kInf, {}, "-1.#INF"},
      {"nan", nan, {}, "-1.#IND"},
      {"negative_nan", -nan, {}, "-1.#IND"},
      {"signalling_nan", std::numeric_limits<double>::signaling_NaN(), {}, "-1.#IND"},
      // never rounded, never padded
      {"infinity_padded", kInf, 6, "1.#INF"},
      {"minus_infinity_rounded", -kInf, -2, "-1.#INF"},
      {"nan_padded", nan, 2, "-1.#IND"},
      {"nan_whole", nan, 0, "-1.#IND"},
  };
  check_rows(rows);
}

TEST(FormatNumber, RoundsHalvesAwayFromZero) {
  const format_row rows[] = {
      {"half_up", 2.5, 0, "3"},
      {"negative_half", -2.5, 0, "-3"},
      {"whole", 1234.5, 0, "1235"},
      {"small_negative_to_zero", -0.4, 0, "0"},
      {"below_half", 2.4, 0, "2"},
      // short of a half by less than the bias
      {"within_bias_of_half", 2.4999999999995, 0, "3"},
      // 1.005 × 100 is 100.49999999999999 as a double; the bias lifts it
      {"one_point_005", 1.005, 2, "1.01"},
      {"two_point_675", 2.675, 2, "2.68"},
      {"one_eighth", 0.125, 2, "0.13"},
      {"one_third", 1.0 / 3, 2, "0.33"},
      {"two_thirds", 2.0 / 3, 2, "0.67"},
      {"negative_one_point_005", -1.005, 2, "-1.01"},
      {"tens", 1234.5, -1, "1230"},
      {"hundreds", 1234.5, -2, "1200"},
      {"hundreds_half", 1250, -2, "1300"},
      {"negative_hundreds_half", -1250, -2, "-1300"},
      {"below_hundred_to_zero", 49, -2, "0"},
      // The sum with the bias is rounded to a double: at 8192 it still reaches the half, from
      // 16384 (2^14) on it is lost.
      {"bias_reaches_half_at_8192", std::nextafter(8192.5, 0.0), 0, "8193"},
      {"bias_lost_at_16384", std::nextafter(16384.5, 0.0), 0, "16384"},
      {"zero_stays", 0.0, 2, "0.00"},
      {"negative_zero_stays", -0.0, 0, "0"},
  };
  check_rows(rows);
}

TEST(FormatNumber, PadsPlainFormToTheCount) {
  const format_row rows[] = {
      {"adds_point", 3, 2, "3.00"},
      {"zero", 0, 3, "0.000"},
      {"adds_zeros", 1.5, 3, "1.500"},
      {"negative_rounds_to_zero", -0.0000001, 2, "0.00"},
      // 13 significant digits, then zeros up to the count
      {"many_integer_digits", 123456789.123456, 6, "123456789.123500"},
      {"whole_count_adds_no_point", 2.5, 0, "3"},
      {"negative_count_adds_no_point", 1234.5, -2, "1200"},
      {"hundred", 100, 1, "100.0"},
      {"thirteen_integer_digits", 1234567890123, 2, "1234567890123.00"},
  };
  check_rows(rows);
}

TEST(FormatNumber, CountNeverBreaksTheExponentForm) {
  const format_row rows[] = {
      {"small_exact_places", 0.00001, 5, "0.00001"},
      {"small_padded", 0.0000123, 8, "0.00001230"},
      {"small_rounded_away", 0.00001, 4, "0.0000"},
      {"small_rounded_up", 0.00005, 4, "0.0001"},
      {"small_negative", -0.0000123, 7, "-0.0000123"},
      {"small_many_places", 1.5e-20, 25, "0.0000000000000000000150000"},
      {"small_thirteen_digits", 1.234567890123456e-10, 30, "0.000000000123456789012300000000"},
      {"large_not_padded", 1e20, 2, "1e+020"},
      {"large_with_digits", 1.5e20, 10, "1.5e+020"},
      // rounds up to 10^13 and so leaves the plain form
      {"rounds_into_exponent_form", 9999999999999.996, 2, "1e+013"},
      {"large_whole_count", 1e20, 0, "1e+020"},
  };
  check_rows(rows);
}

TEST(FormatNumber, AnyCountIsSafe) {
  const std::string zeros_184(184, '0');
  const format_row rows[] = {
      {"largest_count", 1.5, kMaxCount, "1.5" + std::string(183, '0')},
      {"count_185_as_184", 1.5, 185, "1.5" + std::string(183, '0')},
      {"count_184", 1.5, 184, "1.5" + std::string(183, '0')},
      {"widest_text", -1234567890123, kMaxCount, "-1234567890123." + zeros_184},
      {"zero_largest_count", 0, kMaxCount, "0." + zeros_184},
      // m × 10^n is no double: the number is left unrounded
      {"scaled_out_of_range", 1e200, kMaxCount, "1e+200"},
      {"largest_number", std::numeric_limits<double>::max(), 1, "1.797693134862e+308"},
      {"tiny_to_zero", 1e-200, kMaxCount, "0." + zeros_184},
      {"tiny_kept", 1e-180, kMaxCount, "0." + std::string(179, '0') + "1" + std::string(4, '0')},
      {"count_minus_308", 1e308, -308, "1e+308"},
      {"count_minus_308_to_zero", 4e307, -308, "0"},
      {"count_below_minus_308", 1e308, -309, "0"},
      {"smallest_count", -1e300, kMinCount, "0"},
      // (i + 1) × 10^308 is no double: the number is left unrounded
      {"rounded_out_of_range", 1.7e308, -308, "1.7e+308"},
  };
  check_rows(rows);
}

TEST(FormatNumber, GroupsPlainDecimals) {
  const format_row rows[] = {
      {"millions", 1234567.891, 2, "1,234,567.89"},
      {"negative", -1234.5, {}, "-1,234.5"},
      {"three_digits", 123, {}, "123"},
      {"four_digits", 1000, {}, "1,000"},
      {"six_digits", 123456, {}, "123,456"},
      {"thirteen_digits", 1234567890123, {}, "1,234,567,890,123"},
      {"small", 0.5, {}, "0.5"},
      {"exponent_form_unchanged", 1e20, {}, "1e+020"},
      {"infinity_unchanged", -kInf, {}, "-1.#INF"},
      // the grouped text would pass 199 bytes, so it keeps its plain digits
      {"too_wide_left_ungrouped", -1234567890123, kMaxCount,
       "-1234567890123." + std::string(184, '0')},
      {"widest_grouped", 1234567890123, 180, "1,234,567,890,123." + std::string(180, '0')},
  };
  check_rows(rows, /*grouping=*/true);
}

// The C library's "%.13g", with the exponent widened to three digits and "-0" written "0".
std::string reference_text(double x) {
  char text[64];
  std::snprintf(text, sizeof text, "%.13g", x);
  std::string s = text;
  if (s == "-0") return "0";
  const std::size_t e = s.find('e');
  if (e != std::string::npos && s.size() - e - 2 < 3) s.insert(e + 2, 3 - (s.size() - e - 2), '0');
  return s;
}

// x rounded to 13 significant digits, read back by the C library.
double rounded_to_13_digits(double x) {
  char text[64];
  std::snprintf(text, sizeof text, "%.12e", x);
  return std::strtod(text, nullptr);
}

double random_finite_double(std::mt19937_64& random) {
  for (;;) {
    const double x = std::bit_cast<double>(random());
    if (std::isfinite(x)) return x;
  }
}

// Random bit patterns cover every magnitude, subnormals included.
TEST(FormatNumber, RoundTripsThirteenDigitsOfEveryMagnitude) {
  std::mt19937_64 random(4);
  for (int k = 0; k < 300'000; ++k) {
    const double x = random_finite_double(random);
    const std::string text = format_number(x);
    ASSERT_EQ(text, reference_text(x)) << k;
    const double back = to_number(text);
    const double expected = x == 0 ? 0.0 : rounded_to_13_digits(x);
    ASSERT_EQ(back, expected) << text;
    ASSERT_EQ(std::signbit(back), std::signbit(expected)) << text;
  }
}

// The values that come up in sums of short decimals, and those next to the rules of the fast
// paths: whole numbers around 10^13, short decimals, powers of two, exact ties at the 14th digit
// (halves to even), and neighbours of ties and of 13-digit values.
TEST(FormatNumber, MatchesTheCLibraryOnShortValuesAndTies) {
  std::vector<double> values = {9999999999999.0,
                                10000000000000.0,
                                12345678901225.0,
                                12345678901235.0,
                                99999999999995.0,
                                0.5,
                                0.1 + 0.7,
                                std::numeric_limits<double>::min(),
                                2.2250738585072014e-308 * 3};
  for (int k = -1074; k <= 1023; ++k) values.push_back(std::ldexp(1.0, k));
  std::mt19937_64 random(13);
  for (int k = 0; k < 200'000; ++k) {
    const auto digits = static_cast<double>(random() % 100'000'000'000'000u);
    const double scale = std::pow(10.0, static_cast<int>(random() % 40) - 25);
    const double x = digits * scale;
    values.push_back(x);
    values.push_back(std::nextafter(x, 0.0));
    values.push_back(std::nextafter(x, kInf));
    // a 14-digit whole number ending in 5: a tie, written exactly
    values.push_back(static_cast<double>(random() % 9'000'000'000'000u + 1'000'000'000'000u) * 10 +
                     5);
    // next to a half of the 13th digit, at every scale up to 10^13: near ties that only an
    // exact product tells apart, and exact ones such as 1234567890123.5
    const auto thirteen = static_cast<double>(random() % 9'000'000'000'000u + 1'000'000'000'000u);
    const double tie = (thirteen + 0.5) / std::pow(10.0, static_cast<int>(random() % 23));
    values.push_back(tie);
    values.push_back(std::nextafter(tie, 0.0));
    values.push_back(std::nextafter(tie, kInf));
  }
  for (const double x : values) {
    ASSERT_EQ(format_number(x), reference_text(x)) << x;
    ASSERT_EQ(format_number(-x), reference_text(-x)) << x;
  }
}

bool is_plain(const std::string& t) {
  return t.find_first_not_of("-0123456789.") == std::string::npos;
}

std::int32_t random_count(std::mt19937_64& random) {
  switch (random() % 4) {
    case 0:
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(random()));
    case 1:
      return static_cast<std::int32_t>(random() % 801) - 400;
    case 2:
      return static_cast<std::int32_t>(random() % 31) - 10;
    default:
      return static_cast<std::int32_t>(random() % 21) + 175;
  }
}

double random_value(std::mt19937_64& random) {
  switch (random() % 3) {
    case 0:
      return random_finite_double(random);
    // magnitudes where counts give visible digits
    case 1: {
      const double m = std::ldexp(static_cast<double>(random() >> 11), -53);
      const int exponent = static_cast<int>(random() % 40) - 25;
      return (random() % 2 ? -m : m) * std::pow(10.0, exponent);
    }
    default:
      return random() % 8 == 0 ? kInf : static_cast<double>(random() % 100000) / 8;
  }
}

// Whatever the count: at most 199 bytes, never "nan", and a plain text has exactly the places
// asked for (none for a count of 0 or less) while an exponent form is left unpadded.
TEST(FormatNumber, RandomCountsKeepTheShape) {
  std::mt19937_64 random(184);
  for (int k = 0; k < 200'000; ++k) {
    const double x = random_value(random);
    const std::int32_t n = random_count(random);
    const std::string text = format_number(x, n, k % 2 == 0);
    ASSERT_LE(text.size(), 199u) << x << " " << n;
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(text.find("nan"), std::string::npos) << text;
    if (std::isinf(x)) {
      ASSERT_EQ(text, x > 0 ? "1.#INF" : "-1.#INF");
      continue;
    }
    std::string digits = text;
    std::erase(digits, ',');
    if (is_plain(digits)) {
      const std::size_t point = digits.find('.');
      const std::size_t places = point == std::string::npos ? 0 : digits.size() - point - 1;
      const std::size_t want = n <= 0 ? 0 : static_cast<std::size_t>(std::min(n, 184));
      ASSERT_EQ(places, want) << text << " " << n;
      ASSERT_EQ(point == std::string::npos, n <= 0) << text << " " << n;
    } else {
      // only the values of 10^13 and more keep the exponent form under a positive count
      ASSERT_NE(digits.find('e'), std::string::npos) << text;
      if (n > 0) {
        ASSERT_GE(std::fabs(to_number(digits)), 1e13) << text << " " << n;
      }
    }
  }
}

}  // namespace
}  // namespace tavrel::eval
