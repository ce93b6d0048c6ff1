// SPDX-License-Identifier: MIT
#include "eval/expression.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "eval/non_finite.h"

namespace tavrel::eval {
namespace {

using text::is_digit;

// A stack that keeps its first N entries inline, so that a typical expression allocates nothing.
template <typename T, std::size_t N>
class Stack {
 public:
  Stack() = default;
  Stack(const Stack&) = delete;
  Stack& operator=(const Stack&) = delete;

  void push(T v) {
    if (m_size == m_capacity) grow();
    m_data[m_size++] = v;
  }
  T pop() { return m_data[--m_size]; }
  T top() const { return m_data[m_size - 1]; }
  bool empty() const { return m_size == 0; }
  std::size_t size() const { return m_size; }

 private:
  void grow() {
    std::vector<T> bigger(m_capacity * 2);
    for (std::size_t i = 0; i < m_size; ++i) bigger[i] = m_data[i];
    m_heap.swap(bigger);
    m_data = m_heap.data();
    m_capacity = m_heap.size();
  }

  std::array<T, N> m_inline;  // not cleared: only entries below m_size are ever read
  std::vector<T> m_heap;
  T* m_data = m_inline.data();
  std::size_t m_size = 0;
  std::size_t m_capacity = N;
};

// Returns the value of an octal numeral's digits (leading zeros included), correctly rounded.
double octal_value(std::string_view digits) {
  std::size_t first = digits.find_first_not_of('0');
  if (first == std::string_view::npos) return 0;
  digits.remove_prefix(first);
  if (digits.size() <= 21) {  // at most 63 bits: exact in an unsigned 64-bit integer
    std::uint64_t v = 0;
    for (char c : digits) v = v * 8 + static_cast<std::uint64_t>(c - '0');
    return static_cast<double>(v);
  }
  // Regroup the bits into hexadecimal digits, which from_chars rounds correctly.
  static constexpr char hex[] = "0123456789abcdef";
  std::string out;
  out.reserve(digits.size() * 3 / 4 + 2);
  unsigned bits = 0;
  unsigned count = 0;
  for (std::size_t i = digits.size(); i-- > 0;) {
    bits |= static_cast<unsigned>(digits[i] - '0') << count;
    count += 3;
    while (count >= 4) {
      out.push_back(hex[bits & 15]);
      bits >>= 4;
      count -= 4;
    }
  }
  if (count > 0) out.push_back(hex[bits]);
  std::string text(out.rbegin(), out.rend());
  double v = 0;
  auto [ptr, ec] =
      std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::hex);
  if (ec == std::errc::result_out_of_range) return std::numeric_limits<double>::infinity();
  return v;
}

// The powers of ten that are exact in a double and divide a numeral's digits.
constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr std::size_t kExactDigits = 15;

// Returns the value of a numeral of at most 15 digits and one point by the exact short path: the
// digits as an integer (exact in a double) divided by an exact power of ten, one correctly
// rounded operation. Returns nothing for a longer numeral.
std::optional<double> short_decimal_value(std::string_view numeral) {
  if (numeral.size() > 16) return std::nullopt;
  std::uint64_t digits = 0;
  int count = 0;
  int decimals = -1;  // digits after the point, or -1 before it
  for (char c : numeral) {
    if (c == '.') {
      if (decimals >= 0) return std::nullopt;
      decimals = 0;
      continue;
    }
    digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
    ++count;
    decimals += decimals >= 0 ? 1 : 0;
  }
  if (count > 15) return std::nullopt;
  return static_cast<double>(digits) / kPowers[decimals > 0 ? decimals : 0];
}

// Returns the value of a decimal numeral ("5.", ".5", "0089" and "01.5" included), correctly
// rounded; beyond the range of a double it is an infinity, below it zero.
double decimal_value(std::string_view numeral) {
  if (const std::optional<double> value = short_decimal_value(numeral)) return *value;
  double v = 0;
  auto [ptr, ec] =
      std::from_chars(numeral.data(), numeral.data() + numeral.size(), v, std::chars_format::fixed);
  if (ec == std::errc::result_out_of_range) {
    std::string_view whole = numeral.substr(0, numeral.find('.'));
    bool large = whole.find_first_not_of('0') != std::string_view::npos;
    return large ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return v;
}

// Reads the numeral that starts at p (a digit, or a point before a digit) and moves p past it:
// digits, then a point and digits. "010" is octal; a short decimal numeral is read on the way.
double read_numeral(const char*& p, const char* end) {
  const char* const start = p;
  std::uint64_t digits = 0;
  bool octal_digits = true;
  for (; p != end && is_digit(*p); ++p) {
    digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
    octal_digits = octal_digits && *p <= '7';
  }
  const auto whole = static_cast<std::size_t>(p - start);
  if (p == end || *p != '.') {
    if (whole > 1 && *start == '0' && octal_digits) return octal_value({start, whole});
    if (whole <= kExactDigits) return static_cast<double>(digits);  // exact
    return decimal_value({start, whole});
  }
  const char* const point = p;
  for (++p; p != end && is_digit(*p); ++p)
    digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
  const auto size = static_cast<std::size_t>(p - start);
  // As short_decimal_value reads it: the digits, exact, over an exact power of ten.
  if (size - 1 <= kExactDigits) return static_cast<double>(digits) / kPowers[p - point - 1];
  return decimal_value({start, size});
}

// Pending operators. Binary ones carry their precedence in their order: "^" lowest.
enum class Op : std::uint8_t { open, negate, keep, exclusive_or, add, subtract, multiply, divide };

// The precedence of every operator, 0 for those that are not binary.
constexpr int kPrecedences[] = {0, 0, 0, 1, 2, 2, 3, 3};

int precedence(Op op) {
  return kPrecedences[static_cast<std::size_t>(op)];
}

// Returns x as the engine's 32-bit signed integer: NaN and infinities give 0, fractions are cut
// toward zero, the rest is taken modulo 2^32.
std::int32_t to_int32(double x) {
  if (!std::isfinite(x)) return 0;
  constexpr double two32 = 4294967296.0;
  double m = std::fmod(std::trunc(x), two32);  // exact
  if (m < 0) m += two32;                       // exact: an integer below 2^32
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(m));
}

double apply(Op op, double a, double b) {
  switch (op) {
    case Op::add:
      return a + b;
    case Op::subtract:
      return a - b;
    case Op::multiply:
      return a * b;
    case Op::divide:
      return a / b;
    default:
      return static_cast<double>(to_int32(a) ^ to_int32(b));
  }
}

Evaluation failure(const char* what) {
  return {false, 0, what};
}

}  // namespace

Evaluation evaluate_expression(std::string_view expression) {
  Stack<double, 32> values;
  Stack<Op, 64> ops;

  // Applies the binary operators on top of the stack while they bind at least as tightly as
  // `floor` (at least 1; all four levels are left-associative).
  const auto reduce = [&](int floor) {
    while (!ops.empty() && precedence(ops.top()) >= floor) {
      const Op op = ops.pop();
      const double b = values.pop();
      const double a = values.pop();
      values.push(apply(op, a, b));
    }
  };
  // Applies the signs that wait for the operand just completed.
  const auto apply_signs = [&] {
    while (!ops.empty() && (ops.top() == Op::negate || ops.top() == Op::keep)) {
      if (ops.pop() == Op::negate) values.push(-values.pop());
    }
  };

  // The text is read token by token, as the engine's scanner would: a failure is the one that
  // the first token in the wrong place gives.
  const char* p = expression.data();
  const char* const end = p + expression.size();
  bool want_operand = true;
  bool first = true;
  const auto binary = [&](Op op) {
    reduce(precedence(op));
    ops.push(op);
    want_operand = true;
  };
  for (;;) {
    if (p == end) {
      if (want_operand) return failure(first ? "empty expression" : "unexpected end of expression");
      reduce(1);
      if (!ops.empty()) return failure("expected ')'");
      return {true, values.pop(), ""};
    }
    const char c = *p;
    if (is_digit(c) || (c == '.' && p + 1 != end && is_digit(p[1]))) {
      const double value = read_numeral(p, end);
      if (!want_operand) return failure("expected an operator");
      values.push(value);
      apply_signs();
      want_operand = false;
      first = false;
      continue;
    }
    ++p;
    const char next = p != end ? *p : '\0';
    switch (c) {
      case '+':
      case '-':
        if (next == c) return failure("'++' or '--' applied to a value");
        if (want_operand) {
          ops.push(c == '+' ? Op::keep : Op::negate);
        } else {
          binary(c == '+' ? Op::add : Op::subtract);
        }
        break;
      case '*':
      case '^':
        if (want_operand) return failure("expected a number or '('");
        binary(c == '*' ? Op::multiply : Op::exclusive_or);
        break;
      case '(':
        if (!want_operand) return failure("expected an operator");
        ops.push(Op::open);
        break;
      case ')':
        if (want_operand) return failure("expected a number or '('");
        reduce(1);
        if (ops.empty()) return failure("')' without '('");
        ops.pop();
        apply_signs();
        break;
      case '.':
        return failure("a point without digits");
      case '/':
        if (next == '/') {  // a comment to the end of the line, which is the end of the text
          p = end;
          continue;
        }
        if (next == '*') {
          const std::size_t close =
              expression.find("*/", static_cast<std::size_t>(p - expression.data()) + 1);
          if (close == std::string_view::npos) return failure("unterminated comment");
          p = expression.data() + close + 2;
          continue;
        }
        // The engine would read a regular expression here; values are numbers only.
        if (want_operand) return failure("a regular expression where a number belongs");
        binary(Op::divide);
        break;
      default:
        return failure("invalid character");
    }
    first = false;
  }
}

text::Text value_text(double value) {
  if (!std::isfinite(value)) return text::Text(non_finite_text(std::isnan(value), value < 0));
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return text::Text(buffer, end);
}

}  // namespace tavrel::eval
