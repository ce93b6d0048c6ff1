// SPDX-License-Identifier: MIT
#include "app/result_line.h"

#include "eval/format_number.h"
#include "eval/to_number.h"
#include "formula/normalise_formula.h"

namespace tavrel::app {
namespace {

// Formats the value with the count to_integer(decimals), or without a count when decimals is
// empty.
text::Text formatted(double value, std::string_view decimals) {
  if (text::compare(decimals, "") == 0) return eval::format_number(value);
  return eval::format_number(value, eval::to_integer(decimals));
}

}  // namespace

text::Text value_text(std::string_view expression, std::string_view decimals,
                      eval::ScriptComponent& script) {
  return formatted(eval::to_number(script.evaluate(expression)), decimals);
}

void append_result_line(text::Text& out, std::string_view line, std::string_view decimals,
                        eval::ScriptComponent& script) {
  const text::Text expression = formula::normalise_formula(line);
  // The number itself, not its text: to_number of the text gives it back bit for bit, and a
  // failure reads as 0.
  const double value = script.evaluate_number(expression).value_or(0.0);
  out.append(expression).append("=").append(formatted(value, decimals)).append("\r\n");
}

text::Text result_line(std::string_view line, std::string_view decimals,
                       eval::ScriptComponent& script) {
  text::Text out;
  append_result_line(out, line, decimals, script);
  return out;
}

}  // namespace tavrel::app
