// SPDX-License-Identifier: MIT
// The evaluator behind the script component: expressions over the 18 formula characters, read
// and computed the way the script engine reads and computes them.
#pragma once

#include <string_view>

#include "text/text.h"

namespace tavrel::eval {

// The outcome of one evaluation: a value, or a failure with a short description.
struct Evaluation {
  bool ok = false;
  double value = 0;
  const char* error = "";  // what was wrong, when !ok; a static text
};

// Returns the value of the expression, computed with the engine's rules: double arithmetic for
// "+", "-", "*", "/" (unary "+" and "-" bind tightest), "^" the 32-bit exclusive-or binding more
// loosely than all four, parentheses, and the engine's numerals ("010" is octal 8; every other
// numeral with a leading zero, such as "08" or "01.5", is decimal). "//" and "/* */" comments are
// skipped as the engine skips them. Anything else, or a text that is not a well-formed
// expression, gives a failure. Runs in linear time without recursion, whatever the nesting.
Evaluation evaluate_expression(std::string_view expression);

// Returns the text of a value: for a finite value the shortest text that reads back to the same
// double ("-0" for negative zero), "1.#INF" and "-1.#INF" for the infinities, "-1.#IND" for NaN.
text::Text value_text(double value);

}  // namespace tavrel::eval
