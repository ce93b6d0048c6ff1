// SPDX-License-Identifier: MIT
#include "eval/script_component.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "eval/expression.h"
#include "eval/to_number.h"

namespace tavrel::eval {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Bit for bit, so that -0 differs from 0; any NaN equals any NaN.
bool same_value(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

struct value_row {
  const char* name;
  std::string expression;
  double value;
};

void expect_values(const value_row* begin, const value_row* end) {
  for (const value_row* row = begin; row != end; ++row) {
    Evaluation e = evaluate_expression(row->expression);
    EXPECT_TRUE(e.ok) << row->name << ": " << e.error;
    EXPECT_TRUE(same_value(e.value, row->value))
        << row->name << ": got " << value_text(e.value) << ", want " << value_text(row->value);
  }
}

template <std::size_t N>
void expect_values(const value_row (&rows)[N]) {
  expect_values(rows, rows + N);
}

struct text_row {
  const char* name;
  std::string expression;
  std::string text;
};

TEST(ScriptComponent, GivesTheValueTexts) {
  const text_row rows[] = {
      {"sum", "1+2", "3"},
      {"quotient", "7/2", "3.5"},
      {"third", "1/3", "0.3333333333333333"},
      {"exclusive_or", "2^3", "1"},
      {"exclusive_or_after_sum", "2^3+1", "6"},
      {"exclusive_or_cuts_fraction", "2^0.5", "2"},
      {"point_before_caret", "2.^3", "1"},
      {"difference_before_exclusive_or", "0-2^2", "-4"},
      {"octal", "010+1", "9"},
      {"parentheses", "5*(2+3)", "25"},
      {"empty", "", ""},
      {"empty_parentheses", "()", ""},
      {"operator_before_close", "(3+)", ""},
      {"two_points", "5..", ""},
      {"zero_difference", "0-0*1", "0"},
      {"negative_zero", "0*-1", "-0"},
      {"plus_infinity", "1/0", "1.#INF"},
      {"minus_infinity", "0-1/0", "-1.#INF"},
      {"not_a_number", "0/0", "-1.#IND"},
      {"large", "99999999999999999999*99999999999999999999", "1e+40"},
      {"small", "1/10000000", "1e-07"},
  };
  ScriptComponent script;
  EXPECT_TRUE(script.created());
  for (const text_row& row : rows) EXPECT_EQ(script.evaluate(row.expression), row.text) << row.name;
}

TEST(ScriptComponent, HasTheDefaultProperties) {
  ScriptComponent script;
  EXPECT_EQ(script.language(), "JScript");
  EXPECT_EQ(script.time_out(), -1);
  EXPECT_EQ(script.error_info(), "");
}

TEST(ScriptComponent, WithoutEngineEveryEvaluationIsEmpty) {
  ScriptComponent script(false);
  EXPECT_FALSE(script.created());
  // "脚本组件创建失败,请检查msscript.ocx是否注册!" in GBK
  const std::string creation_failed =
      "\xBD\xC5\xB1\xBE\xD7\xE9\xBC\xFE\xB4\xB4\xBD\xA8\xCA\xA7\xB0\xDC,"
      "\xC7\xEB\xBC\xEC\xB2\xE9msscript.ocx\xCA\xC7\xB7\xF1\xD7\xA2\xB2\xE1!";
  EXPECT_EQ(script.error_info(), creation_failed);
  for (const char* expression : {"1+2", "7/2", "", "()", "0/0"}) {
    EXPECT_EQ(script.evaluate(expression), "") << expression;
  }
  EXPECT_EQ(script.error_info(), creation_failed);
  EXPECT_EQ(script.language(), "JScript");
  EXPECT_EQ(script.time_out(), -1);
}

TEST(ScriptComponent, DescribesTheLastFailure) {
  ScriptComponent script;
  EXPECT_EQ(script.evaluate("(3+)"), "");
  const std::string first = script.error_info();
  EXPECT_EQ(first.rfind("Error: ", 0), 0u) << first;
  EXPECT_TRUE(first.ends_with(", (3+); in line 1")) << first;
  EXPECT_GT(first.size(), std::string("Error: , (3+); in line 1").size()) << "no description";

  // A success leaves the description of the last failure.
  EXPECT_EQ(script.evaluate("1+2"), "3");
  EXPECT_EQ(script.error_info(), first);

  EXPECT_EQ(script.evaluate("1--2"), "");
  EXPECT_TRUE(script.error_info().ends_with(", 1--2; in line 1")) << script.error_info();
}

TEST(ScriptComponent, CutsTheDescriptionTo256Bytes) {
  ScriptComponent script;
  EXPECT_EQ(script.evaluate(std::string(1000, '(') + "1"), "");
  EXPECT_EQ(script.error_info().size(), 256u);
  EXPECT_EQ(script.error_info().rfind("Error: ", 0), 0u);

  // A two-byte character (B0 A1) that would straddle the cut is left out whole.
  for (std::size_t pad = 0; pad < 4; ++pad) {
    std::string expression = std::string(pad, '(');
    for (int i = 0; i < 200; ++i) expression += "\xB0\xA1";
    EXPECT_EQ(script.evaluate(expression), "");
    const std::string& info = script.error_info();
    EXPECT_LE(info.size(), 256u);
    EXPECT_GE(info.size(), 255u);
    std::size_t i = info.find("\xB0\xA1");
    ASSERT_NE(i, std::string::npos);
    EXPECT_EQ((info.size() - i) % 2, 0u) << "pad " << pad << ": a lead byte stands alone";
  }

  // A byte 0 ends the source text there.
  EXPECT_EQ(script.evaluate(std::string("1+\0"
                                        "2",
                                        4)),
            "");
  EXPECT_TRUE(script.error_info().ends_with(", 1+; in line 1")) << script.error_info();
}

TEST(EvaluateExpression, KeepsPrecedenceAndOrderOfEveryPair) {
  // Each row would give another double if it were grouped the other way.
  const value_row rows[] = {
      {"plus_plus", "0.1+0.2+0.3", 0.6000000000000001},
      {"plus_minus", "0.1+0.2-0.3", 5.551115123125783e-17},
      {"minus_plus", "0.3-0.2+0.1", 0.19999999999999998},
      {"minus_minus", "0.3-0.2-0.1", -2.7755575615628914e-17},
      {"times_times", "0.1*0.2*0.3", 0.006000000000000001},
      {"over_over", "0.7/0.3/0.1", 23.333333333333332},
      {"times_over", "0.1*0.1/0.1", 0.10000000000000002},
      {"over_times", "0.1/0.2*0.3", 0.15},
      {"plus_times", "0.1+0.2*0.3", 0.16},
      {"times_plus", "0.1*0.2+0.3", 0.32},
      {"minus_times", "0.1-0.2*0.3", 0.04000000000000001},
      {"times_minus", "0.1*0.2-0.3", -0.27999999999999997},
      {"plus_over", "0.1+0.2/0.3", 0.7666666666666667},
      {"over_plus", "0.1/0.2+0.3", 0.8},
      {"minus_over", "0.1-0.2/0.3", -0.5666666666666668},
      {"over_minus", "0.1/0.2-0.3", 0.2},
      {"plus_caret", "1+2^3", 0},
      {"caret_plus", "6^1+2", 5},
      {"minus_caret", "5-1^2", 6},
      {"caret_minus", "2^5-1", 6},
      {"times_caret", "2*3^1", 7},
      {"caret_times", "1^2*3", 7},
      {"over_caret", "7/2^1", 2},  // 3.5 ^ 1, cut to 3 ^ 1
      {"caret_over", "1^7/2", 2},
      {"caret_caret", "5^3^6", 0},  // exclusive-or is associative: only the chain is shown
      {"integer_minus_minus", "8-4-2", 2},
      {"integer_over_over", "8/4/2", 1},
      {"integer_minus_plus", "8-4+2", 6},
      {"integer_over_times", "8/4*2", 4},
      {"parentheses_first", "(0.1+0.2)*0.3", 0.09000000000000001},
      {"nested_parentheses", "2*(3-(4-5))", 8},
  };
  expect_values(rows);
}

TEST(EvaluateExpression, AppliesSignsFirst) {
  const value_row rows[] = {
      {"sign_before_caret", "-2^2", -4},  // (-2) ^ 2
      {"sign_after_times", "-2*-3", 6},
      {"mixed_signs", "-+-2", 2},
      {"sign_before_parentheses", "-(2+3)*2", -10},
      {"plus_sign", "+5", 5},
      {"sign_after_caret", "3^-1", -4},
      {"signs_in_parentheses", "(-(+(-1)))", 1},
      {"zero_minus_zero", "0-0", 0},
      {"negated_zero", "-0", -0.0},
      {"plus_negated_zero", "+-0", -0.0},
      {"negated_negated_zero", "-(-0)", 0},
      {"times_negative", "0*-1", -0.0},
      {"negative_zero_minus_zero", "-0-0", -0.0},
      {"negative_zero_plus_zero", "-0+0", 0},
      {"over_negative_zero", "1/-0", -inf},
  };
  expect_values(rows);
}

TEST(EvaluateExpression, ReadsNumeralsAsTheEngineDoes) {
  const value_row rows[] = {
      {"zero", "0", 0},
      {"octal", "010", 8},
      {"octal_sevens", "007", 7},
      {"octal_zeros", "00", 0},
      {"octal_largest_int32", "017777777777", 2147483647},
      {"octal_beyond_int32", "020000000000", 2147483648.0},
      // 2^53 + 1 and 2^53 + 3 lie halfway: ties go to the even neighbour.
      {"octal_tie_down", "0400000000000000001", 9007199254740992.0},
      {"octal_tie_up", "0400000000000000003", 9007199254740996.0},
      {"octal_above_64_bits", text::concat("0", std::string(23, '7')), 0x1p69},  // 2^69 - 1
      {"octal_long", text::concat("0", std::string(30, '7')), 0x1p90},  // 2^90 - 1 rounds up
      {"octal_overflow", text::concat("0", std::string(400, '7')), inf},
      // Leading zeros that do not make an octal integer give a decimal number.
      {"eight", "08", 8},
      {"nine_and_a_half", "09.5", 9.5},
      {"one_and_a_half", "01.5", 1.5},
      {"half", "00.5", 0.5},
      {"seven_and_a_half", "007.5", 7.5},
      {"ten_and_a_half", "010.5", 10.5},
      {"octal_digits_then_eight", "0778", 778},
      {"octal_digits_then_point", "07.", 7},
      {"zeros_then_point", "00.", 0},
      {"trailing_point", "5.", 5},
      {"leading_point", ".5", 0.5},
      {"tenth", "0.1", 0.1},
      {"rounds_to_even", "9007199254740993", 9007199254740992.0},
      {"many_digits", "0.1000000000000000055511151231257827021181583404541015625000001", 0.1},
      {"decimal_overflow", text::concat("1", std::string(400, '0')), inf},
      {"decimal_underflow", text::concat(".", std::string(400, '0'), "1"), 0},
      {"smallest_subnormal", text::concat(".", std::string(323, '0'), "5"), 5e-324},
      {"largest_double", text::concat("17976931348623157", std::string(292, '0')),
       1.7976931348623157e308},
  };
  expect_values(rows);
}

// Numerals of up to 15 digits take a short path; it must round exactly as from_chars does, on
// both sides of the 15-digit boundary and for every place of the point.
TEST(EvaluateExpression, ReadsShortAndLongNumeralsAlike) {
  std::mt19937_64 random(15);
  for (int round = 0; round < 200000; ++round) {
    const std::size_t digits = 1 + random() % 17;
    const std::size_t point = random() % (digits + 2);  // past the end: no point
    std::string numeral;
    for (std::size_t i = 0; i <= digits; ++i) {
      if (i == point) numeral += '.';
      // The first digit is never 0, which keeps the numeral decimal, not octal.
      if (i < digits)
        numeral += static_cast<char>('0' + (i == 0 ? 1 + random() % 9 : random() % 10));
    }
    double expected = 0;
    std::from_chars(numeral.data(), numeral.data() + numeral.size(), expected);
    const Evaluation e = evaluate_expression(numeral);
    ASSERT_TRUE(e.ok) << numeral;
    ASSERT_EQ(std::bit_cast<std::uint64_t>(e.value), std::bit_cast<std::uint64_t>(expected))
        << numeral;
  }
}

TEST(EvaluateExpression, TakesExclusiveOrOf32BitIntegers) {
  const value_row rows[] = {
      {"minus_one", "-1^0", -1},
      {"negative_fraction_cut_toward_zero", "-1.9^0", -1},
      {"fraction_cut", "1.9^0", 1},
      {"negative_half_cut_to_zero", "-0.5^0", 0},
      {"negative_zero_gives_zero", "-0^0", 0},
      {"wraps_to_negative", "2147483648^0", -2147483648.0},
      {"wraps_to_positive", "-2147483649^0", 2147483647},
      {"modulo_two_to_32", "4294967296^1", 1},
      {"modulo_above", "4294967297^0", 1},
      {"large_value", "100000000000000000000^0", 1661992960},
      {"negative_fraction_near_two_to_32", "0-4294967295.5^0", 1},
      {"negative_operands", "-6^-3", 7},
      {"not_a_number_gives_zero", "(0/0)^5", 5},
      {"infinity_gives_zero", "(1/0)^5", 5},
      {"minus_infinity_gives_zero", "(0-1/0)^5", 5},
  };
  expect_values(rows);
}

TEST(EvaluateExpression, GivesInfinitiesAndNotANumber) {
  const value_row rows[] = {
      {"over_zero", "1/0", inf},
      {"negative_over_zero", "0-1/0", -inf},
      {"zero_over_zero", "0/0", nan},
      {"infinity_minus_infinity", "1/0-1/0", nan},
      {"infinity_times_zero", "1/0*0", nan},
      {"not_a_number_spreads", "(0/0)+1", nan},
      {"overflow_of_product", text::concat("1", std::string(200, '0'), "*1", std::string(200, '0')),
       inf},
      {"underflow_of_quotient",
       text::concat("1/1", std::string(200, '0'), "/1", std::string(200, '0')), 0},
  };
  expect_values(rows);
}

TEST(EvaluateExpression, SkipsCommentsAsTheEngineDoes) {
  const value_row rows[] = {
      {"line_comment", "1//2", 1},
      {"block_comment", "1/*2*/+3", 4},
      {"comment_separates_signs", "1+/**/+2", 3},  // not "++"
      {"comment_at_end", "1/**/", 1},
      {"stars_in_comment", "1/***/+1", 2},
      {"comment_then_line_comment", "2/*)*///(", 2},
  };
  expect_values(rows);
}

struct failure_row {
  const char* name;
  std::string expression;
};

TEST(EvaluateExpression, FailsOnMalformedText) {
  const failure_row rows[] = {
      {"empty", ""},
      {"empty_parentheses", "()"},
      {"operator_before_close", "(3+)"},
      {"two_points", "5.."},
      {"lone_point", "."},
      {"point_after_operator", "1+."},
      {"three_part_numeral", "1.2.3"},  // 1.2 then .3: two numbers in a row
      {"decrement", "1--2"},
      {"increment", "1++2"},
      {"prefix_decrement", "--1"},
      {"prefix_increment", "++1"},
      {"postfix_increment", "1++"},
      {"power_is_no_operator", "2**3"},
      {"lone_open", "("},
      {"lone_close", ")"},
      {"extra_close", "1)"},
      {"missing_close", "(1"},
      {"close_before_open", ")("},
      {"number_before_parenthesis", "1(2)"},
      {"parenthesis_before_number", "(1)2"},
      {"parentheses_in_a_row", "(1)(2)"},
      {"blank", "1 2"},
      {"blank_around_operator", "1 + 2"},  // only the 18 formula characters are accepted
      {"letter", "1+a"},
      {"high_byte", "1\x80"},
      {"byte_zero", std::string("1\0", 2)},
      {"line_break", "1\n"},
      {"lone_plus", "+"},
      {"leading_times", "*1"},
      {"trailing_times", "1*"},
      {"trailing_caret", "1^"},
      {"leading_caret", "^1"},
      {"regular_expression", "/1/"},
      {"regular_expression_after_plus", "1+/2/"},
      {"regular_expression_in_parentheses", "(/1/)"},
      {"only_comments", "/**///1"},
      {"only_line_comment", "//1"},
      {"unterminated_comment", "1/*2"},
      {"comment_needs_its_own_star", "1/*/2"},
      {"comment_between_numbers", "1/**/2"},
      {"comment_inside_numeral", "0/**/7"},
      {"comment_after_operator", "1+//2"},
      {"unbalanced_deep", std::string(100000, '(') + "1"},
  };
  for (const failure_row& row : rows) {
    Evaluation e = evaluate_expression(row.expression);
    EXPECT_FALSE(e.ok) << row.name << " gave " << value_text(e.value);
    EXPECT_STRNE(e.error, "") << row.name;
  }
}

TEST(EvaluateExpression, HandlesAMillionLevelsWithoutRecursion) {
  constexpr std::size_t n = 1000000;
  const value_row rows[] = {
      {"nested_parentheses", text::concat(std::string(n, '('), "1", std::string(n, ')')), 1},
      {"nested_signs",
       [] {
         std::string s;
         for (std::size_t i = 0; i < n / 2; ++i) s += "-+";
         return s + "-1";
       }(),
       -1},
      {"long_sum",
       [] {
         std::string s = "1";
         for (std::size_t i = 1; i < n; ++i) s += "+1";
         return s;
       }(),
       1000000},
      {"right_nested_differences",
       [] {
         std::string s;
         for (std::size_t i = 0; i < n / 4; ++i) s += "1-(";
         return text::concat(s, "1", std::string(n / 4, ')'));
       }(),
       1},  // 1-(1-(1-…(1))) with an even number of levels
      {"long_numeral", text::concat(std::string(n, '0'), ".", std::string(n, '0'), "25"), 0},
      {"long_octal", std::string(n, '0') + "17", 15},
  };
  expect_values(rows);
}

struct value_text_row {
  const char* name;
  double value;
  std::string text;
};

TEST(ValueText, WritesTheShortestText) {
  const value_text_row rows[] = {
      {"integer", 3, "3"},
      {"fraction", 3.5, "3.5"},
      {"negative", -4, "-4"},
      {"zero", 0, "0"},
      {"negative_zero", -0.0, "-0"},  // reads back as negative zero
      {"tenth", 0.1, "0.1"},
      {"sum_of_tenths", 0.1 + 0.2, "0.30000000000000004"},
      {"large", 1e21, "1e+21"},
      {"small", 1e-7, "1e-07"},
      {"largest", 1.7976931348623157e308, "1.7976931348623157e+308"},
      {"smallest", 5e-324, "5e-324"},
      {"plus_infinity", inf, "1.#INF"},
      {"minus_infinity", -inf, "-1.#INF"},
      {"not_a_number", nan, "-1.#IND"},
      {"negative_not_a_number", -nan, "-1.#IND"},
  };
  for (const value_text_row& row : rows) EXPECT_EQ(value_text(row.value), row.text) << row.name;
}

TEST(ValueText, ReadsBackToTheSameDouble) {
  std::mt19937_64 random(20240505);
  for (int i = 0; i < 200000; ++i) {
    double x = std::bit_cast<double>(random());
    if (!std::isfinite(x)) continue;
    const std::string t = value_text(x);
    double back = 0;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), back);
    ASSERT_TRUE(ec == std::errc() && ptr == t.data() + t.size()) << t;
    ASSERT_TRUE(same_value(back, x)) << t;
    ASSERT_TRUE(same_value(to_number(t), x)) << "to_number(\"" << t << "\")";
  }
  for (double x : {inf, -inf}) EXPECT_EQ(to_number(value_text(x)), x);
  EXPECT_TRUE(std::isnan(to_number(value_text(nan))));
}

}  // namespace
}  // namespace tavrel::eval
