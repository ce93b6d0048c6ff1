// SPDX-License-Identifier: MIT
// Inputs built to hurt: giant pathological lines, a million empty lines, deep nesting, wild
// decimal places texts. Each must finish with the right result and without touching the input.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/result_line.h"
#include "app/run_calculation.h"
#include "eval/format_number.h"
#include "eval/script_component.h"
#include "eval/to_number.h"
#include "formula/normalise_formula.h"

namespace tavrel::app {
namespace {

std::string repeated(std::string_view unit, std::size_t bytes) {
  std::string out;
  out.reserve(bytes + unit.size());
  while (out.size() < bytes) out.append(unit);
  return out;
}

// Boxes that keep only the texts, so that a million lines cost no log.
class PlainBoxes : public Boxes {
 public:
  text::Text input, result, decimals;
  std::size_t appends = 0;

  text::Text get_text(Box box) override { return text_of(box); }
  void set_text(Box box, std::string_view t) override { text_of(box) = t; }
  void append_text(Box box, std::string_view t) override {
    ++appends;
    text_of(box).append(t);
  }

 private:
  text::Text& text_of(Box box) {
    return box == Box::input ? input : box == Box::result ? result : decimals;
  }
};

constexpr std::size_t k16MB = std::size_t{16} << 20;

struct giant_row {
  const char* name;
  std::string_view unit;
  // What the normaliser must make of the line, checked on its start and end.
  std::string_view expression_starts, expression_ends;
  std::string_view value;  // the value text after "="
};

TEST(HostileInput, GiantPathologicalLines) {
  const giant_row rows[] = {
      // Runs of operators keep their first: "0+0".
      {"plus", "+", "0+0", "0+0", "0"},
      {"all_operators", "+-*/^", "0+0", "0+0", "0"},
      // 8388608 ones: 1 - 1 - ... - 1 - 0.
      {"one_minus", "1-", "1-1-", "-1-0", "-8388606"},
      // Unbalanced: every "(" gets its ")"; the empty pairs fail to evaluate.
      {"open", "(", "((((", "))))", "0"},
      // The first ")" turns into "(", two ")" balance the rest, and every ")(" gets its "*".
      {"close_open", ")(", "(()*(", ")*())", "0"},
      {"one_in_parentheses", "(1)", "(1)*(1)", "(1)*(1)", "1"},
      // Every point after the first goes: one long number.
      {"one_point", "1.", "1.111", "1111", "1.111111111111"},
      {"point_plus", ".+", "0+0", "0+0", "0"},
  };
  eval::ScriptComponent script;
  for (const giant_row& row : rows) {
    const std::string line = repeated(row.unit, k16MB);
    const text::Text expression = formula::normalise_formula(line);
    ASSERT_LE(expression.size(), 3 * line.size() + 4) << row.name;
    EXPECT_EQ(expression.substr(0, row.expression_starts.size()), row.expression_starts)
        << row.name;
    EXPECT_EQ(expression.substr(expression.size() - row.expression_ends.size()),
              row.expression_ends)
        << row.name;
    const text::Text value = eval::format_number(eval::to_number(script.evaluate(expression)));
    EXPECT_EQ(value, row.value) << row.name;
  }
}

TEST(HostileInput, GiantRandomFormulaLine) {
  std::mt19937 random(7);
  const char alphabet[] = "0123456789+-*/^().";
  std::string line(k16MB, ' ');
  for (char& c : line) c = alphabet[random() % 18];
  eval::ScriptComponent script;
  const text::Text result = result_line(line, 2, script);
  EXPECT_EQ(result.substr(result.size() - 2), "\r\n");
}

TEST(HostileInput, MillionEmptyLines) {
  PlainBoxes boxes;
  for (int i = 0; i < 1000000; ++i) boxes.input += "\r\n";
  const text::Text before = boxes.input;
  eval::ScriptComponent script;
  run_calculation(boxes, script);
  EXPECT_EQ(boxes.appends, 2000000u);
  EXPECT_EQ(boxes.result, repeated("=0\r\n", 4000000));
  EXPECT_EQ(boxes.input, before);
}

TEST(HostileInput, NestedMillionDeep) {
  const std::string line = std::string(1000000, '(') + "1" + std::string(1000000, ')');
  eval::ScriptComponent script;
  const text::Text result = result_line(line, std::nullopt, script);
  EXPECT_EQ(result.substr(result.size() - 5), ")=1\r\n");
  EXPECT_EQ(script.evaluate(line), "1");
}

struct decimals_row {
  const char* name;
  std::string decimals;
  std::string result;
};

TEST(HostileInput, WildDecimalPlacesTexts) {
  const std::string many_places = "1/4=0.25" + std::string(182, '0') + "\r\n";
  const decimals_row rows[] = {
      // As read by to_integer, modulo 2^32: 99999999999 is 1215752191, far beyond 184 places.
      {"eleven_nines", "99999999999", many_places},
      {"int32_min", "-2147483648", "1/4=0\r\n"},
      {"double_dash", "--5", "1/4=0\r\n"},
      // 200 sevens wrap to 1908874353: more places than a value text holds.
      {"two_hundred_digits", std::string(200, '7'), many_places},
      {"letters", "abc", "1/4=0\r\n"},
  };
  eval::ScriptComponent script;
  for (const decimals_row& row : rows) {
    PlainBoxes boxes;
    boxes.input = "1/4";
    boxes.decimals = row.decimals;
    run_calculation(boxes, script);
    EXPECT_EQ(boxes.result, row.result) << row.name;
    EXPECT_EQ(boxes.input, "1/4") << row.name;
  }
}

}  // namespace
}  // namespace tavrel::app
