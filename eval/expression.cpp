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

namespace tavrel::eval {
namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

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

enum class Kind : std::uint8_t {
  number,
  plus,
  minus,
  star,
  slash,
  caret,
  open,
  close,
  step,  // "++" or "--": one token of the engine, never valid on a value
  dot,   // a point that does not begin a numeral
  end,
  error,
};

struct Token {
  Kind kind = Kind::end;
  double value = 0;
  const char* error = "";
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

// Returns the value of a numeral of at most 15 digits and one point by the exact short path: the
// digits as an integer (exact in a double) divided by an exact power of ten, one correctly
// rounded operation. Returns nothing for a longer numeral.
std::optional<double> short_decimal_value(std::string_view numeral) {
  static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
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

// Splits an expression into the engine's tokens, one at a time, skipping comments.
class Lexer {
 public:
  explicit Lexer(std::string_view s) : m_s(s) {}

  Token next() {
    for (;;) {
      if (m_i >= m_s.size()) return {Kind::end};
      char c = m_s[m_i];
      char d = m_i + 1 < m_s.size() ? m_s[m_i + 1] : '\0';
      if (is_digit(c) || (c == '.' && is_digit(d))) return numeral();
      ++m_i;
      switch (c) {
        case '+':
        case '-':
          if (d == c) {
            ++m_i;
            return {Kind::step};
          }
          return {c == '+' ? Kind::plus : Kind::minus};
        case '*':
          return {Kind::star};
        case '^':
          return {Kind::caret};
        case '(':
          return {Kind::open};
        case ')':
          return {Kind::close};
        case '.':
          return {Kind::dot};
        case '/':
          if (d == '/') {  // a comment to the end of the line, which is the end of the text
            m_i = m_s.size();
            continue;
          }
          if (d == '*') {
            std::size_t close = m_s.find("*/", m_i + 1);
            if (close == std::string_view::npos) return fail("unterminated comment");
            m_i = close + 2;
            continue;
          }
          return {Kind::slash};
        default:
          return fail("invalid character");
      }
    }
  }

 private:
  Token fail(const char* what) { return {Kind::error, 0, what}; }

  Token numeral() {
    std::size_t start = m_i;
    while (m_i < m_s.size() && is_digit(m_s[m_i])) ++m_i;
    bool point = m_i < m_s.size() && m_s[m_i] == '.';
    if (point) {
      ++m_i;
      while (m_i < m_s.size() && is_digit(m_s[m_i])) ++m_i;
    }
    std::string_view n = m_s.substr(start, m_i - start);
    bool octal = !point && n.size() > 1 && n[0] == '0' &&
                 n.find_first_not_of("01234567") == std::string_view::npos;
    return {Kind::number, octal ? octal_value(n) : decimal_value(n)};
  }

  std::string_view m_s;
  std::size_t m_i = 0;
};

// Pending operators. Binary ones carry their precedence in their order: "^" lowest.
enum class Op : std::uint8_t { open, negate, keep, exclusive_or, add, subtract, multiply, divide };

int precedence(Op op) {
  switch (op) {
    case Op::exclusive_or:
      return 1;
    case Op::add:
    case Op::subtract:
      return 2;
    case Op::multiply:
    case Op::divide:
      return 3;
    default:
      return 0;
  }
}

bool is_binary(Op op) {
  return precedence(op) > 0;
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
  Lexer lexer(expression);
  Stack<double, 32> values;
  Stack<Op, 64> ops;

  // Applies the binary operators on top of the stack while they bind at least as tightly as
  // `floor` (all four levels are left-associative).
  auto reduce = [&](int floor) {
    while (!ops.empty() && precedence(ops.top()) >= floor && is_binary(ops.top())) {
      Op op = ops.pop();
      double b = values.pop();
      double a = values.pop();
      values.push(apply(op, a, b));
    }
  };
  // Applies the signs that wait for the operand just completed.
  auto apply_signs = [&] {
    while (!ops.empty() && (ops.top() == Op::negate || ops.top() == Op::keep)) {
      if (ops.pop() == Op::negate) values.push(-values.pop());
    }
  };

  bool want_operand = true;
  bool first = true;
  for (;;) {
    Token t = lexer.next();
    if (t.kind == Kind::error) return failure(t.error);
    if (t.kind == Kind::step) return failure("'++' or '--' applied to a value");
    if (t.kind == Kind::dot) return failure("a point without digits");
    if (want_operand) {
      switch (t.kind) {
        case Kind::number:
          values.push(t.value);
          apply_signs();
          want_operand = false;
          break;
        case Kind::plus:
          ops.push(Op::keep);
          break;
        case Kind::minus:
          ops.push(Op::negate);
          break;
        case Kind::open:
          ops.push(Op::open);
          break;
        case Kind::slash:
          // The engine would read a regular expression here; values are numbers only.
          return failure("a regular expression where a number belongs");
        case Kind::end:
          return failure(first ? "empty expression" : "unexpected end of expression");
        default:
          return failure("expected a number or '('");
      }
    } else {
      Op op = Op::open;
      switch (t.kind) {
        case Kind::plus:
          op = Op::add;
          break;
        case Kind::minus:
          op = Op::subtract;
          break;
        case Kind::star:
          op = Op::multiply;
          break;
        case Kind::slash:
          op = Op::divide;
          break;
        case Kind::caret:
          op = Op::exclusive_or;
          break;
        case Kind::close:
          reduce(1);
          if (ops.empty()) return failure("')' without '('");
          ops.pop();
          apply_signs();
          continue;
        case Kind::end:
          reduce(1);
          if (!ops.empty()) return failure("expected ')'");
          return {true, values.pop(), ""};
        default:
          return failure("expected an operator");
      }
      reduce(precedence(op));
      ops.push(op);
      want_operand = true;
    }
    first = false;
  }
}

text::Text value_text(double value) {
  if (std::isnan(value)) return "-1.#IND";
  if (std::isinf(value)) return value > 0 ? "1.#INF" : "-1.#INF";
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return text::Text(buffer, end);
}

}  // namespace tavrel::eval
