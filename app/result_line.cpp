// SPDX-License-Identifier: MIT
#include "app/result_line.h"

#include "eval/format_number.h"
#include "eval/to_number.h"
#include "formula/normalise_formula.h"

namespace tavrel::app {

text::Text value_text(std::string_view expression, std::string_view decimals,
                      eval::ScriptComponent& script) {
  const double value = eval::to_number(script.evaluate(expression));
  if (text::compare(decimals, "") == 0) return eval::format_number(value);
  return eval::format_number(value, eval::to_integer(decimals));
}

text::Text result_line(std::string_view line, std::string_view decimals,
                       eval::ScriptComponent& script) {
  const text::Text expression = formula::normalise_formula(line);
  return text::concat(expression, "=", value_text(expression, decimals, script), "\r\n");
}

}  // namespace tavrel::app
