// SPDX-License-Identifier: MIT
#include "app/result_line.h"

#include "eval/format_number.h"
#include "eval/to_number.h"
#include "formula/normalise_formula.h"

namespace tavrel::app {

DecimalCount decimal_count(std::string_view decimals) {
  if (text::compare(decimals, "") == 0) return std::nullopt;
  return eval::to_integer(decimals);
}

void append_result_line(text::Text& out, std::string_view line, DecimalCount count,
                        eval::ScriptComponent& script) {
  const std::size_t start = out.size();
  formula::append_normalised_formula(out, line);
  // The number itself, not its text: to_number of the text gives it back bit for bit, and a
  // failure reads as 0.
  const double value = script.evaluate_number(std::string_view(out).substr(start)).value_or(0.0);
  out.push_back('=');
  eval::append_number(out, value, count);
  out.append("\r\n");
}

text::Text result_line(std::string_view line, DecimalCount count, eval::ScriptComponent& script) {
  text::Text out;
  append_result_line(out, line, count, script);
  return out;
}

}  // namespace tavrel::app
