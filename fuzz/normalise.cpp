// SPDX-License-Identifier: MIT
// Any line: the expression holds only formula characters, keeps the five output-form rules, and
// for lines up to 256 bytes equals the literal stage-by-stage normaliser's.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "formula/normalise_formula.h"
#include "support/reference_normaliser.h"

namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_operator(char c) {
  return c != '\0' && std::strchr("+-*/^", c) != nullptr;
}
bool is_formula(char c) {
  return is_digit(c) || c == '.' || c == '(' || c == ')' || is_operator(c);
}

void check(bool ok, const char* rule) {
  if (!ok) {
    std::fprintf(stderr, "output-form rule broken: %s\n", rule);
    std::abort();
  }
}

void check_point(std::string_view e, std::size_t i) {
  check(i > 0 && i + 1 < e.size(), "a point never stands first or last");
  const char before = e[i - 1], after = e[i + 1];
  check(!is_operator(before) && before != '(' && before != ')', "no point after an operator");
  check(after != '(' && after != ')' && (after == '^' || !is_operator(after)),
        "no point before + - * / ( )");
}

void check_output_form(std::string_view e) {
  long depth = 0;
  bool point_in_number = false;
  for (std::size_t i = 0; i < e.size(); ++i) {
    const char c = e[i];
    const char next = i + 1 < e.size() ? e[i + 1] : '\0';
    check(is_formula(c), "only formula characters");
    if (is_operator(c)) {
      check(i > 0 && i + 1 < e.size(), "no operator at either end");
      check(!is_operator(next), "no two operators side by side");
    }
    if (c == '(') check(!is_operator(next), "no operator right after (");
    if (c == '(' && i > 0) check(!is_digit(e[i - 1]) && e[i - 1] != ')', "nothing before (");
    if (c == ')') check(!is_digit(next) && next != '(', "nothing after )");
    if (c == '.') {
      check(!point_in_number, "one point per number");
      check_point(e, i);
    }
    point_in_number = (c == '.' || is_digit(c)) && (point_in_number || c == '.');
    depth += c == '(' ? 1 : c == ')' ? -1 : 0;
  }
  check(depth == 0, "as many ( as )");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const tavrel::text::Text expression = tavrel::formula::normalise_formula(line);
  check_output_form(expression);
  if (size <= 256) {
    check(expression == tavrel::support::reference::normalise_formula_reference(line),
          "agrees with the stage-by-stage normaliser");
  }
  return 0;
}
