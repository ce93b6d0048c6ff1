// SPDX-License-Identifier: MIT
#include "app/run_calculation.h"

#include "app/fatal_error.h"
#include "eval/format_number.h"
#include "eval/to_number.h"
#include "formula/normalise_formula.h"

namespace tavrel::app {
namespace {

// Returns item i (1-based) of the list; an index outside it is a fatal error.
const text::Text& item(const text::TextList& list, std::size_t i) {
  if (i < 1) fatal_error(kIndexBelowOne, kIndexBelowOneMessage);
  if (i > list.size()) fatal_error(kIndexBeyondLast, kIndexBeyondLastMessage);
  return list[i - 1];
}

// Evaluates the expression and formats its value; the decimal places box is read once when it
// is empty and a second time, after the evaluation, when it is not.
text::Text value_of(std::string_view expression, Boxes& boxes, eval::ScriptComponent& script) {
  const text::Text decimals = boxes.get_text(Box::decimals);
  const double value = eval::to_number(script.evaluate(expression));
  if (text::compare(decimals, "") == 0) return eval::format_number(value);
  return eval::format_number(value, eval::to_integer(boxes.get_text(Box::decimals)));
}

}  // namespace

void run_calculation(Boxes& boxes, eval::ScriptComponent& script) {
  const text::TextList lines = text::split_lines(boxes.get_text(Box::input), "\r\n");
  boxes.set_text(Box::result, "");
  const std::size_t count = lines.size();
  for (std::size_t i = 1; i <= count; ++i) {
    const text::Text expression = formula::normalise_formula(item(lines, i));
    boxes.append_text(Box::result, text::concat(expression, "="));
    boxes.append_text(Box::result, text::concat(value_of(expression, boxes, script), "\r\n"));
  }
}

}  // namespace tavrel::app
