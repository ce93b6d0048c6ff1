// SPDX-License-Identifier: MIT
// Any bytes as an expression: never a crash, and a success's text reads back to its value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "eval/expression.h"
#include "eval/script_component.h"
#include "eval/to_number.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view expression(reinterpret_cast<const char*>(data), size);
  static tavrel::eval::ScriptComponent script;
  const tavrel::text::Text text = script.evaluate(expression);
  const tavrel::eval::Evaluation evaluation = tavrel::eval::evaluate_expression(expression);
  if (text.empty() != !evaluation.ok) {
    std::fputs("the component and the evaluator disagree on success\n", stderr);
    std::abort();
  }
  if (!evaluation.ok) return 0;
  const double back = tavrel::eval::to_number(text);
  const bool same = std::isnan(evaluation.value)
                        ? std::isnan(back)
                        : std::memcmp(&back, &evaluation.value, sizeof back) == 0;
  if (!same) {
    std::fprintf(stderr, "value text %s does not read back\n", text.c_str());
    std::abort();
  }
  return 0;
}
