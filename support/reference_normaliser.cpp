// SPDX-License-Identifier: MIT
#include "support/reference_normaliser.h"

#include <cstdint>

#include "text/half_width.h"

namespace tavrel::support::reference {
namespace {

using text::Text;

constexpr std::string_view kFormulaCharacters = "0123456789+-*/^().";
constexpr std::string_view kNumberBoundaries = "()+*-/^";
constexpr std::string_view kTakesZeroAfter = "()+*-/.^";
constexpr std::string_view kDropsPointBefore = "()+*-/.";
constexpr std::string_view kOperators[] = {"+", "-", "*", "/", "^"};
constexpr std::string_view kDigits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};

// The three texts of one call; they live only as long as the call.
struct normaliser_texts {
  Text working;
  Text marker;
  Text suffix;
};

// True when the byte of t at position p belongs to the set. As find gives 1 for an empty probe,
// a position outside t counts as a member.
bool in_set(std::string_view set, std::string_view t, std::int32_t p) {
  return text::find(set, text::middle(t, p, 1)) != -1;
}

// True when the byte of t at position p is c; a position outside t matches nothing.
bool byte_is(std::string_view t, std::int32_t p, std::string_view c) {
  return text::compare(text::middle(t, p, 1), c) == 0;
}

// True when the byte of t at position p is a digit or the given other byte.
bool digit_or(std::string_view t, std::int32_t p, std::string_view other) {
  for (std::string_view digit : kDigits) {
    if (byte_is(t, p, digit)) return true;
  }
  return byte_is(t, p, other);
}

// True when the byte of t at position p is one of the operators.
bool operator_at(std::string_view t, std::int32_t p) {
  for (std::string_view op : kOperators) {
    if (byte_is(t, p, op)) return true;
  }
  return false;
}

// Stage 0: folds full-width forms and removes the blanks.
void fold(normaliser_texts& t, std::string_view line) {
  t.working = text::remove_blanks(text::to_half_width(line));
  t.marker = t.working;
}

// Stage 1: keeps the formula characters. The scan moves by characters, so a two-byte character
// that stage 0 left goes as a whole (issue 3): its second byte never survives as "^".
void keep_formula_characters(normaliser_texts& t) {
  std::int32_t d = 0;
  const std::int32_t n = text::length(t.working);
  for (std::int32_t i = 1; i <= n;) {
    const auto step = static_cast<std::int32_t>(text::char_size(t.working, i - 1));
    if (step == 2 || !in_set(kFormulaCharacters, t.working, i)) {
      t.marker = text::replace_at(t.marker, i - d, step);
      d += step;
    }
    i += step;
  }
  t.working = t.marker;
}

// Stage 2: "0" before a leading point, then one trailing point removed.
void point_at_either_end(normaliser_texts& t) {
  if (text::compare(text::left(t.working, 1), ".") == 0) t.working = text::concat("0", t.working);
  if (text::compare(text::right(t.working, 1), ".") == 0) {
    t.working = text::replace_at(t.working, text::length(t.working), 1);
  }
  t.marker = t.working;
}

// Stage 3: "#" in the marker text for every parenthesis and operator, and one at either end.
void mark_number_boundaries(normaliser_texts& t) {
  const std::int32_t n = text::length(t.working);
  for (std::int32_t i = 1; i <= n; ++i) {
    if (in_set(kNumberBoundaries, t.working, i)) t.marker = text::replace_at(t.marker, i, 1, "#");
  }
  t.marker = text::concat("#", t.marker, "#");
}

// Stage 4: after every mark, scans the suffix up to the next mark and deletes every point but
// the first from the working text.
void one_point_per_number(normaliser_texts& t) {
  std::int32_t d = 0;
  const std::int32_t n = text::length(t.marker);
  for (std::int32_t i = 1; i <= n; ++i) {
    if (!byte_is(t.marker, i, "#")) continue;
    t.suffix = text::right(t.marker, text::length(t.marker) - i);
    std::int32_t k = 0;
    const std::int32_t m = text::length(t.suffix);
    for (std::int32_t j = 1; j <= m; ++j) {
      if (byte_is(t.suffix, j, ".")) {
        ++k;
        if (k > 1) {
          t.working = text::replace_at(t.working, i + j - 1 - d, 1);
          ++d;
        }
      }
      if (byte_is(t.suffix, j, "#")) break;
    }
  }
  t.marker = t.working;
}

// Stage 5: scans the working text unchanged and edits the marker text: "0." for a point after
// a boundary (or at the start), and the point deleted before a boundary (or at the end).
void repair_points(normaliser_texts& t) {
  std::int32_t s = 0;
  const std::int32_t n = text::length(t.working);
  for (std::int32_t i = 1; i <= n; ++i) {
    if (!byte_is(t.working, i, ".")) continue;
    if (in_set(kTakesZeroAfter, t.working, i - 1)) {
      t.marker = text::replace_at(t.marker, i - s, 1, "0.");
      --s;
    }
    if (in_set(kDropsPointBefore, t.working, i + 1)) {
      t.marker = text::replace_at(t.marker, i - s, 1);
      ++s;
    }
  }
  t.working = t.marker;
}

// Stage 6: one exchange of a leading ")" for "(", then the missing parentheses added.
void balance_parentheses(normaliser_texts& t) {
  const std::int32_t first_open = text::find(t.working, "(");
  const std::int32_t first_close = text::find(t.working, ")");
  if (first_open != -1 || first_close != -1) {
    if (first_open != -1 && first_close != -1 && first_close < first_open) {
      t.working = text::replace_at(t.working, first_close, 1, "(");
    }
    std::int32_t opening = 0;
    std::int32_t closing = 0;
    const std::int32_t n = text::length(t.working);
    for (std::int32_t i = 1; i <= n; ++i) {
      if (byte_is(t.working, i, "(")) ++opening;
      if (byte_is(t.working, i, ")")) ++closing;
    }
    if (opening > closing) t.working = text::concat(t.working, Text(opening - closing, ')'));
    if (closing > opening) t.working = text::concat(Text(closing - opening, '('), t.working);
  }
  t.marker = t.working;
}

// Stage 7: "#" in the marker text for every operator.
void mark_operators(normaliser_texts& t) {
  const std::int32_t n = text::length(t.working);
  for (std::int32_t i = 1; i <= n; ++i) {
    if (operator_at(t.working, i)) t.marker = text::replace_at(t.marker, i, 1, "#");
  }
}

// Stage 8: "0" in front of a leading operator and after a trailing one, in both texts.
void operator_at_either_end(normaliser_texts& t) {
  if (text::find(t.marker, "#") == 1) {
    t.working = text::concat("0", t.working);
    t.marker = text::concat("0", t.marker);
  }
  if (text::find_last(t.marker, "#") == text::length(t.marker)) {
    t.working = text::concat(t.working, "0");
    t.marker = text::concat(t.marker, "0");
  }
}

// Stage 9: "0" between "(" and an operator, in both texts.
void operator_after_opening(normaliser_texts& t) {
  for (std::string_view op : kOperators) {
    t.working = text::replace_all(t.working, text::concat("(", op), text::concat("(0", op));
  }
  t.marker = text::replace_all(t.marker, "(#", "(0#");
}

// Stage 10: deletes the second of the first two adjacent marks until no two stand together.
void runs_of_operators(normaliser_texts& t) {
  std::int32_t changes = 0;
  do {
    changes = 0;
    const std::int32_t n = text::length(t.marker);
    for (std::int32_t i = 1; i <= n; ++i) {
      if (byte_is(t.marker, i, "#") && byte_is(t.marker, i + 1, "#")) {
        t.marker = text::replace_at(t.marker, i + 1, 1);
        t.working = text::replace_at(t.working, i + 1, 1);
        changes = 1;
        break;
      }
    }
  } while (changes != 0);
  t.marker = t.working;
}

// Stage 11: inserts "*" at the first parenthesis that touches a digit or the other parenthesis,
// and scans again until nothing changes.
void implicit_multiplication(normaliser_texts& t) {
  int changed = 0;
  do {
    changed = 0;
    const std::int32_t n = text::length(t.marker);
    for (std::int32_t i = 1; i <= n; ++i) {
      if (byte_is(t.marker, i, "(") && digit_or(t.marker, i - 1, ")")) {
        t.marker = text::replace_at(t.marker, i, 1, "*(");
        changed = 1;
        break;
      }
      if (byte_is(t.marker, i, ")") && digit_or(t.marker, i + 1, "(")) {
        t.marker = text::replace_at(t.marker, i, 1, ")*");
        changed = 1;
        break;
      }
    }
  } while (changed != 0);
  t.working = t.marker;
}

// Stages 1 to 11, in the order they run.
constexpr void (*kStagesAfterFold[])(normaliser_texts&) = {
    keep_formula_characters, point_at_either_end, mark_number_boundaries,  one_point_per_number,
    repair_points,           balance_parentheses, mark_operators,          operator_at_either_end,
    operator_after_opening,  runs_of_operators,   implicit_multiplication,
};

}  // namespace

std::array<stage_texts, 12> normalise_formula_stages(std::string_view line) {
  normaliser_texts t;
  std::array<stage_texts, 12> after;
  fold(t, line);
  after[0] = {t.working, t.marker};
  std::size_t stage = 1;
  for (auto run_stage : kStagesAfterFold) {
    run_stage(t);
    after[stage++] = {t.working, t.marker};
  }
  return after;
}

Text normalise_formula_reference(std::string_view line) {
  normaliser_texts t;
  fold(t, line);
  for (auto run_stage : kStagesAfterFold) run_stage(t);
  return t.working;
}

}  // namespace tavrel::support::reference
