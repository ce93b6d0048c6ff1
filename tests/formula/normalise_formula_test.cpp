// SPDX-License-Identifier: MIT
#include "formula/normalise_formula.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/line_generator.h"
#include "support/reference_normaliser.h"

namespace tavrel::formula {
namespace {

using support::lines::escaped;
using text::Text;

// A normaliser under test: the production one or the literal reference.
struct normaliser {
  const char* name;
  Text (*normalise)(std::string_view);
};

// Names the normaliser in test listings and failure messages.
void PrintTo(const normaliser& n, std::ostream* os) {
  *os << n.name;
}

const normaliser kNormalisers[] = {
    {"Production", normalise_formula},
    {"Reference", support::reference::normalise_formula_reference},
};

class EveryNormaliser : public ::testing::TestWithParam<normaliser> {
 protected:
  Text normalise(std::string_view line) const { return GetParam().normalise(line); }
};

INSTANTIATE_TEST_SUITE_P(Both, EveryNormaliser, ::testing::ValuesIn(kNormalisers),
                         [](const auto& info) { return std::string(info.param.name); });

// 共．5件+(-2..5)3－－4（1.+.5 in GBK.
constexpr std::string_view kWorkedExample =
    "\xB9\xB2\xA3\xAE"
    "5"
    "\xBC\xFE"
    "+(-2..5)3"
    "\xA3\xAD\xA3\xAD"
    "4"
    "\xA3\xA8"
    "1.+.5";

TEST(ReferenceStages, WorkedExampleStageByStage) {
  struct stage_row {
    const char* working;
    const char* marker;
  };
  const stage_row rows[12] = {
      {"\xB9\xB2.5\xBC\xFE+(-2..5)3--4(1.+.5", "\xB9\xB2.5\xBC\xFE+(-2..5)3--4(1.+.5"},
      {".5+(-2..5)3--4(1.+.5", ".5+(-2..5)3--4(1.+.5"},
      {"0.5+(-2..5)3--4(1.+.5", "0.5+(-2..5)3--4(1.+.5"},
      {"0.5+(-2..5)3--4(1.+.5", "#0.5###2..5#3##4#1.#.5#"},
      {"0.5+(-2.5)3--4(1.+.5", "0.5+(-2.5)3--4(1.+.5"},
      {"0.5+(-2.5)3--4(1+0.5", "0.5+(-2.5)3--4(1+0.5"},
      {"0.5+(-2.5)3--4(1+0.5)", "0.5+(-2.5)3--4(1+0.5)"},
      {"0.5+(-2.5)3--4(1+0.5)", "0.5#(#2.5)3##4(1#0.5)"},
      {"0.5+(-2.5)3--4(1+0.5)", "0.5#(#2.5)3##4(1#0.5)"},
      {"0.5+(0-2.5)3--4(1+0.5)", "0.5#(0#2.5)3##4(1#0.5)"},
      {"0.5+(0-2.5)3-4(1+0.5)", "0.5+(0-2.5)3-4(1+0.5)"},
      {"0.5+(0-2.5)*3-4*(1+0.5)", "0.5+(0-2.5)*3-4*(1+0.5)"},
  };
  const auto after = support::reference::normalise_formula_stages(kWorkedExample);
  for (std::size_t stage = 0; stage < 12; ++stage) {
    SCOPED_TRACE("after stage " + std::to_string(stage));
    EXPECT_EQ(escaped(after[stage].working), escaped(rows[stage].working));
    EXPECT_EQ(escaped(after[stage].marker), escaped(rows[stage].marker));
  }
}

TEST_P(EveryNormaliser, WorkedExample) {
  EXPECT_EQ(normalise(kWorkedExample), "0.5+(0-2.5)*3-4*(1+0.5)");
}

struct line_row {
  const char* name;
  std::string_view line;
  std::string_view result;
};

const line_row kLines[] = {
    {"empty", "", ""},
    {"letters_only", "abc", ""},
    {"full_width_sum", "\xA3\xB3\xA3\xAB\xA3\xB4", "3+4"},
    {"full_width_product",
     "\xA3\xB1\xA3\xB2\xA3\xAE\xA3\xB5\xA3\xAA\xA3\xA8\xA3\xB3\xA3\xAD\xA3\xB1\xA3\xA9",
     "12.5*(3-1)"},
    {"ideographic_spaces", "\xA3\xB3\xA1\xA1\xA3\xAB\xA1\xA1\xA3\xB4", "3+4"},
    {"times_sign_vanishes", "\xA3\xB3\xA1\xC1\xA3\xB4", "34"},  // × has no one-byte form
    {"words_around_numbers",
     "\xC6\xBB\xB9\xFB"
     "3"
     "\xB8\xF6\xC3\xBF\xB8\xF6"
     "2.5"
     "\xD4\xAA",
     "32.5"},
    {"full_width_colon", "\xB9\xB2\xBC\xC6\xA3\xBA\xA3\xB1\xA3\xB2\xA3\xB3\xD4\xAA", "123"},
    {"thousands_comma", "1,000+2", "1000+2"},
    // 繼 is C0 5E, and 5E is "^": the character still goes whole (issue 3).
    {"two_byte_character_vanishes_whole", "2\xC0^3", "23"},
    {"equals_sign", "1+2=", "1+2"},
    {"leading_point", ".5", "0.5"},
    {"lone_point", ".", "0"},
    {"two_points", "..", "0"},
    {"trailing_point", "5.", "5"},
    {"two_trailing_points", "5..", "5"},
    {"doubled_point", "1..2", "1.2"},
    {"second_point_goes", "1.2.3", "1.23"},
    {"leading_point_twice", ".5.5", "0.55"},
    {"point_after_leading_plus", "+.5", "0+0.5"},
    {"point_after_opening", "(.5)", "(0.5)"},
    {"point_after_closing", "(3).5", "(3)*0.5"},
    {"point_before_opening", "3.(4)", "3*(4)"},
    {"point_before_plus", "2.+3", "2+3"},
    {"point_before_caret_stays", "2.^3", "2.^3"},
    {"trailing_operator", "5+", "5+0"},
    {"leading_minus", "-5", "0-5"},
    {"lone_plus", "+", "0+0"},
    {"two_pluses", "++", "0+0"},
    {"leading_run", "-+3", "0-3"},
    {"plus_minus", "1+-2", "1+2"},
    {"times_minus", "2*-3", "2*3"},
    {"minus_minus", "1--2", "1-2"},
    {"star_star", "3**2", "3*2"},
    {"caret_minus", "2^-1", "2^1"},
    {"minus_after_opening", "(-3)", "(0-3)"},
    {"run_after_opening", "(+-3)", "(0+3)"},
    {"lone_opening", "(", "()"},
    {"lone_closing", ")", "()"},
    {"unclosed", "(3+4", "(3+4)"},
    {"unclosed_after_factor", "2*(3+4", "2*(3+4)"},
    {"unopened", "3+4)", "(3+4)"},
    {"two_unclosed", "((3", "((3))"},
    {"closing_then_opening", ")(", "(())"},
    {"closing_number_opening", ")3(", "(3*())"},
    {"exchange_then_balance", "1)+(2", "1*(0+(2))"},
    {"counts_not_nesting", "(3))(", "(3))*("},
    {"digit_before_opening", "2(3)", "2*(3)"},
    {"digit_after_closing", "(3)2", "(3)*2"},
    {"closing_before_opening", "(3)(4)", "(3)*(4)"},
    {"both_sides", "2(3)4", "2*(3)*4"},
    {"empty_pair_stays", "()", "()"},
    {"operator_before_closing_stays", "(3+)", "(3+)"},
};

TEST_P(EveryNormaliser, TableOfLines) {
  for (const line_row& row : kLines) {
    EXPECT_EQ(escaped(normalise(row.line)), escaped(row.result)) << row.name;
  }
}

TEST_P(EveryNormaliser, ResultDependsOnTheLineAlone) {
  // State: lines that leave long texts, marks, points and parentheses behind them.
  std::vector<Text> lines = {"",          "abc",        "((3",       ")(",
                             "1.2.3.4.5", "+-*/^+-*/^", "(1)(2)(3)", std::string(kWorkedExample),
                             "2\xC0^3",   ".5.5",       "3+4)"};
  support::lines::line_generator generator(3);
  for (int n = 0; n < 40; ++n) lines.push_back(generator.next());
  std::vector<Text> alone;
  for (const Text& line : lines) alone.push_back(normalise(line));
  // Action: every line right after every other line. Expected: the result it has alone.
  for (const Text& before : lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      normalise(before);
      ASSERT_EQ(normalise(lines[i]), alone[i]) << escaped(lines[i]) << " after " << escaped(before);
    }
  }
}

// Returns piece repeated count times.
Text repeated(std::string_view piece, std::size_t count) {
  Text out;
  out.reserve(piece.size() * count);
  for (std::size_t k = 0; k < count; ++k) out.append(piece);
  return out;
}

// Returns head, then middle repeated count times, then tail.
Text framed(std::string_view head, std::string_view middle, std::size_t count,
            std::string_view tail) {
  return text::concat(head, repeated(middle, count), tail);
}

TEST(NormaliseFormula, LongPathologicalLines) {
  constexpr std::size_t k = 200'000;
  struct long_row {
    const char* name;
    Text line;
    Text result;
  };
  const long_row rows[] = {
      {"pluses", repeated("+", k), "0+0"},
      {"full_width_pluses", repeated("\xA3\xAB", k), "0+0"},
      {"every_operator", repeated("+-*/^", k), "0+0"},
      {"openings", repeated("(", k), repeated("(", k) + repeated(")", k)},
      {"closings", repeated(")", k), repeated("(", k) + repeated(")", k)},
      // The first ")" turns into "(", two ")" close the line, every ")(" gets its "*".
      {"closing_opening", repeated(")(", k), framed("((", ")*(", k - 1, "))")},
      {"opening_minus", repeated("(-", k), repeated("(0-", k) + repeated(")", k)},
      {"digit_opening", repeated("2(", k), repeated("2*(", k) + repeated(")", k)},
      {"points", repeated(".", k), "0"},
      {"one_point", repeated("1.", k), framed("1.", "1", k - 1, "")},
      {"point_plus", repeated(".+", k), framed("", "0+", k, "0")},
      {"parenthesised_ones", repeated("(1)", k), framed("(1)", "*(1)", k - 1, "")},
      {"one_minus", repeated("1-", k), framed("", "1-", k, "0")},
      {"two_byte_characters", repeated("\xC0\x5E", k), ""},
  };
  for (const long_row& row : rows) {
    const Text result = normalise_formula(row.line);
    EXPECT_EQ(result.size(), row.result.size()) << row.name;
    EXPECT_TRUE(result == row.result) << row.name;
  }
}

// Returns the first output-form rule that the result breaks, or the empty text.
std::string broken_rule(std::string_view r) {
  const auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
  const auto is_op = [](char c) {
    return std::string_view("+-*/^").find(c) != std::string_view::npos;
  };
  const auto at = [&](std::size_t i) { return i < r.size() ? r[i] : '\0'; };
  if (r.find_first_not_of("0123456789+-*/^().") != std::string_view::npos) {
    return "only formula characters";
  }
  if (!r.empty() && (is_op(r.front()) || is_op(r.back()))) return "1: operator at an end";
  std::size_t opening = 0;
  std::size_t closing = 0;
  bool point_in_number = false;
  for (std::size_t i = 0; i < r.size(); ++i) {
    const char c = r[i];
    const char before = i > 0 ? r[i - 1] : '\0';
    const char after = at(i + 1);
    if (is_op(c) && is_op(after)) return "1: two operators side by side";
    if (c == '(' && is_op(after)) return "2: operator after (";
    if (c == '.') {
      if (point_in_number) return "3: two points in a number";
      point_in_number = true;
      if (!is_digit(before)) return "3: point first or after an operator or a parenthesis";
      if (after == '\0' || std::string_view("+-*/()").find(after) != std::string_view::npos) {
        return "3: point last or before + - * / ( )";
      }
    } else if (!is_digit(c)) {
      point_in_number = false;
    }
    if (c == '(') ++opening;
    if (c == ')') ++closing;
    if (c == '(' && (is_digit(before) || before == ')')) return "5: digit or ) before (";
    if (c == ')' && (is_digit(after) || after == '(')) return "5: digit or ( after )";
  }
  if (opening != closing) return "4: as many ( as )";
  return "";
}

TEST(NormaliseFormula, GeneratedLinesHaveTheOutputForm) {
  support::lines::line_generator generator(11);
  for (int n = 0; n < 100'000; ++n) {
    const Text line = generator.next();
    const Text result = normalise_formula(line);
    ASSERT_EQ(broken_rule(result), "") << escaped(line) << " gave " << escaped(result);
  }
}

TEST(NormaliseFormula, ShortStringsHaveTheOutputForm) {
  support::lines::for_each_extension("", 6, [](std::string_view line) {
    const Text result = normalise_formula(line);
    ASSERT_EQ(broken_rule(result), "") << escaped(line) << " gave " << escaped(result);
  });
}

TEST(NormaliseFormula, OutputFormCheckCatchesBrokenResults) {
  // The check itself: each row breaks exactly the rule it names.
  const line_row rows[] = {
      {"letter", "3a", "only formula characters"},
      {"leading_operator", "+3", "1: operator at an end"},
      {"operators_together", "3+-4", "1: two operators side by side"},
      {"operator_after_opening", "(-3)", "2: operator after ("},
      {"two_points", "1.2.3", "3: two points in a number"},
      {"point_after_operator", "1+.5", "3: point first or after an operator or a parenthesis"},
      {"point_before_closing", "(1.)", "3: point last or before + - * / ( )"},
      {"unbalanced", "(3", "4: as many ( as )"},
      {"digit_before_opening", "2(3)", "5: digit or ) before ("},
      {"digit_after_closing", "(3)2", "5: digit or ( after )"},
  };
  for (const line_row& row : rows) EXPECT_EQ(broken_rule(row.line), row.result) << row.name;
}

}  // namespace
}  // namespace tavrel::formula
