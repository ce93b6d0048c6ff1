// SPDX-License-Identifier: MIT
// Differential test: our evaluator against Node.js's sloppy-mode indirect eval, which follows the
// same expression rules. Node runs once per batch; tests/eval/node/eval_batch.js prints one line
// per expression.
#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "eval/expression.h"
#include "eval/script_component.h"
#include "eval/to_number.h"
#include "formula/normalise_formula.h"

namespace tavrel::eval {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view formula_characters = "0123456789+-*/^().";

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Returns the expression as Node has to see it. Node reads a numeral with leading zeros that is
// not an octal integer ("01.5", "00.5", "007.5") as an octal integer followed by more, which
// fails; we read it as a decimal number. Such numerals lose their leading zeros ("1.5", "0.5",
// "7.5"), which Node reads as we do. Octal integers ("010", "00") and everything else stay.
std::string for_node(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    bool starts_numeral = is_digit(s[i]) || (s[i] == '.' && i + 1 < s.size() && is_digit(s[i + 1]));
    if (!starts_numeral) {
      out += s[i++];
      continue;
    }
    std::size_t start = i;
    while (i < s.size() && is_digit(s[i])) ++i;
    bool point = i < s.size() && s[i] == '.';
    if (point) {
      ++i;
      while (i < s.size() && is_digit(s[i])) ++i;
    }
    std::string_view n = s.substr(start, i - start);
    bool leading_zero = n.size() > 1 && n[0] == '0' && is_digit(n[1]);
    bool octal = !point && n.find_first_not_of("01234567") == std::string_view::npos;
    if (leading_zero && !octal) {
      n.remove_prefix(n.find_first_not_of('0'));
      if (n.empty() || n[0] == '.') out += '0';
    }
    out += n;
  }
  return out;
}

struct NodeResult {
  char kind = '?';  // N a number, U no value, R a regular expression, F threw
  std::uint64_t bits = 0;
};

// Returns Node's result for every expression, in order; fails the test when Node cannot run.
std::vector<NodeResult> run_node(const std::vector<std::string>& expressions) {
  std::vector<NodeResult> results;
  if (std::system("command -v node >/dev/null 2>&1") != 0) {
    ADD_FAILURE() << "node is not on PATH; `make test` installs the Debian package nodejs";
    return results;
  }
  const fs::path script = fs::path(__FILE__).parent_path() / "node" / "eval_batch.js";
  if (!fs::exists(script)) {
    ADD_FAILURE() << "missing " << script;
    return results;
  }
  const fs::path dir =
      fs::temp_directory_path() / ("tavrel_expression_node_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path in = dir / "in.txt";
  const fs::path out = dir / "out.txt";
  {
    std::ofstream file(in, std::ios::binary);
    for (const std::string& e : expressions) file << for_node(e) << '\n';
  }
  const std::string command =
      "node \"" + script.string() + "\" < \"" + in.string() + "\" > \"" + out.string() + "\"";
  int status = std::system(command.c_str());
  std::ifstream file(out, std::ios::binary);
  std::string line;
  while (std::getline(file, line)) {
    NodeResult r;
    r.kind = line.empty() ? '?' : line[0];
    if (r.kind == 'N') r.bits = std::stoull(line.substr(2), nullptr, 16);
    results.push_back(r);
  }
  fs::remove_all(dir);
  EXPECT_EQ(status, 0) << command;
  EXPECT_EQ(results.size(), expressions.size()) << "node gave a line for every expression";
  return results;
}

bool same_value(double ours, std::uint64_t node_bits) {
  double node = std::bit_cast<double>(node_bits);
  if (std::isnan(ours) || std::isnan(node)) return std::isnan(ours) && std::isnan(node);
  return std::bit_cast<std::uint64_t>(ours) == node_bits;
}

struct Tally {
  int numbers = 0;
  int failures = 0;
  int regular_expressions = 0;
  int power_skipped = 0;
  int mismatches = 0;
};

// Compares both sides for every expression and returns what was seen.
Tally compare_with_node(const std::vector<std::string>& expressions) {
  Tally tally;
  std::vector<NodeResult> node = run_node(expressions);
  if (node.size() != expressions.size()) return tally;
  ScriptComponent script;
  for (std::size_t i = 0; i < expressions.size(); ++i) {
    const std::string& s = expressions[i];
    // "**" is no operator in the engine (a syntax error there and here); Node reads it as a
    // power. Not compared.
    if (s.find("**") != std::string::npos) {
      ++tally.power_skipped;
      continue;
    }
    Evaluation ours = evaluate_expression(s);
    const NodeResult& theirs = node[i];
    bool agree = false;
    switch (theirs.kind) {
      case 'N': {
        ++tally.numbers;
        agree = ours.ok && same_value(ours.value, theirs.bits) &&
                same_value(to_number(script.evaluate(s)), theirs.bits);
        break;
      }
      case 'R':
        // A regular expression where an operand belongs: the engine would compute with an
        // object; we have numbers only and fail.
        ++tally.regular_expressions;
        agree = !ours.ok;
        break;
      case 'U':
      case 'F':
        ++tally.failures;
        agree = !ours.ok;
        break;
      default:
        break;
    }
    if (!agree && ++tally.mismatches <= 20) {
      ADD_FAILURE() << "expression \"" << s << "\" (to node \"" << for_node(s) << "\"): ours "
                    << (ours.ok ? value_text(ours.value) : std::string("failed: ") + ours.error)
                    << ", node " << theirs.kind << " "
                    << value_text(std::bit_cast<double>(theirs.bits));
    }
  }
  return tally;
}

void print(const char* what, const Tally& t) {
  std::printf("%s: %d numbers, %d failures, %d regular expressions, %d with \"**\" skipped\n", what,
              t.numbers, t.failures, t.regular_expressions, t.power_skipped);
}

// Random expressions, seeded, in four shapes: well-formed trees of every kind of numeral, the
// same with one or two bytes changed, runs of tokens, and plain runs of formula characters.
class Generator {
 public:
  explicit Generator(std::uint64_t seed) : m_random(seed) {}

  std::string next() {
    unsigned shape = below(20);
    if (shape < 9) return tree(0);
    if (shape < 13) return mutate(tree(0));
    if (shape < 16) return tokens();
    std::string s;
    for (unsigned n = 1 + below(14); n > 0; --n) s += formula_characters[below(18)];
    return s;
  }

 private:
  unsigned below(unsigned n) { return static_cast<unsigned>(m_random() % n); }
  std::string digits(unsigned n, const char* set = "0123456789") {
    std::string s;
    std::size_t k = std::string_view(set).size();
    for (; n > 0; --n) s += set[below(static_cast<unsigned>(k))];
    return s;
  }

  std::string numeral() {
    switch (below(16)) {
      case 0:
        return digits(1);
      case 1:
        return digits(1 + below(3));
      case 2:
        return digits(1 + below(3)) + "." + digits(1 + below(4));
      case 3:
        return "." + digits(1 + below(4));
      case 4:
        return digits(1 + below(2)) + ".";
      case 5:
        return "0" + digits(1 + below(12), "01234567");  // octal integer
      case 6:
        return "0" + digits(1 + below(3)) + (below(2) ? "." + digits(below(3)) : "");
      case 7:
        return std::string(1 + below(3), '0') + "." + digits(below(3));
      case 8:
        return "1" + digits(15 + below(10));  // beyond 2^53
      case 9:
        return digits(1) + std::string(300 + below(15), '0');  // near the top of the range
      case 10:
        return "." + std::string(300 + below(30), '0') + digits(1 + below(3));  // subnormal
      case 11:
        return "0" + digits(17 + below(6), "01234567");  // octal beyond 2^53
      case 12:
        return std::to_string(2147483640 + below(20));  // around 2^31
      case 13:
        return std::to_string(4294967290u + below(12));  // around 2^32
      default:
        return digits(1 + below(2));
    }
  }

  // Depth is bounded by the constant below, not by any input.
  std::string tree(int depth) {
    std::string sign;
    switch (below(8)) {
      case 0:
        sign = "-";
        break;
      case 1:
        sign = "+";
        break;
      case 2:
        sign = below(2) ? "-+" : "+-";
        break;
      default:
        break;
    }
    if (depth >= 5 || below(10) < 4) return sign + numeral();
    const char* ops = "+-*/^";
    std::string s = tree(depth + 1);
    for (unsigned n = 1 + below(3); n > 0; --n) s += ops[below(5)] + tree(depth + 1);
    if (below(3) == 0) return sign + "(" + s + ")";
    return sign.empty() ? s : sign + "(" + s + ")";
  }

  std::string mutate(std::string s) {
    for (unsigned n = 1 + below(2); n > 0; --n) {
      std::size_t at = below(static_cast<unsigned>(s.size() + 1));
      char c = formula_characters[below(18)];
      switch (below(3)) {
        case 0:
          s.insert(at, 1, c);
          break;
        case 1:
          if (at < s.size()) s.erase(at, 1);
          break;
        default:
          if (at < s.size()) s[at] = c;
          break;
      }
    }
    return s;
  }

  std::string tokens() {
    static const char* const pieces[] = {"+",    "-",     "*",  "/",  "^",   "(",  ")", ".",
                                         "/**/", "/*1*/", "//", "*/", "/1/", "--", "++"};
    std::string s;
    for (unsigned n = 1 + below(8); n > 0; --n) {
      s += below(2) ? numeral() : pieces[below(15)];
    }
    return s;
  }

  std::mt19937_64 m_random;
};

TEST(ExpressionAgainstNode, RewritesOnlyLeadingZeroDecimals) {
  struct row {
    const char* name;
    const char* in;
    const char* out;
  };
  const row rows[] = {
      {"octal_stays", "010+00", "010+00"},
      {"eight", "08", "8"},
      {"fraction", "01.5*2", "1.5*2"},
      {"zeros_before_point", "00.5", "0.5"},
      {"zeros_then_point_alone", "000.", "0."},
      {"octal_digits_with_point", "007.5", "7.5"},
      {"plain_decimals_stay", "0.5+10.5+.05", "0.5+10.5+.05"},
      {"second_numeral_of_a_run", "1.2.05", "1.2.05"},
  };
  for (const row& r : rows) EXPECT_EQ(for_node(r.in), r.out) << r.name;
}

TEST(ExpressionAgainstNode, AgreesOnRandomExpressions) {
  Generator generator(0x7a11e1);
  std::vector<std::string> expressions;
  for (int i = 0; i < 60000; ++i) expressions.push_back(generator.next());
  Tally t = compare_with_node(expressions);
  print("random expressions", t);
  EXPECT_EQ(t.mismatches, 0);
  // The generator must keep giving a good share of well-formed expressions.
  EXPECT_GT(t.numbers, 60000 / 3);
  EXPECT_GT(t.failures, 60000 / 10);
  EXPECT_GT(t.regular_expressions, 0);
}

// Returns a random line of free text: words, blanks, full-width and half-width digits, operators,
// points and parentheses, in GBK.
std::string free_text_line(std::mt19937_64& random) {
  static const char* const pieces[] =
      {
          "0",        "1",        "2",        "3",        "5",        "7", "8", "9", "+", "-",
          "*",        "/",        "^",        "(",        ")",        ".", " ", "=", ",", "x",
          "abc",      "\xA3\xB0", "\xA3\xB1", "\xA3\xB2", "\xA3\xB9",  // ０ １ ２ ９
          "\xA3\xAB", "\xA3\xAD", "\xA3\xAA", "\xA3\xAF",              // ＋ － ＊ ／
          "\xA3\xA8", "\xA3\xA9", "\xA3\xAE",                          // （ ） ．
          "\xA1\xC1", "\xA1\xA1",              // × and the ideographic space
          "\xD4\xAA", "\xB9\xB2", "\xB8\xF6",  // 元 共 个
          "\xC0\x5E",                          // 繼: its trail byte is "^"
      };
  constexpr unsigned count = sizeof pieces / sizeof pieces[0];
  std::string line;
  for (unsigned n = random() % 24; n > 0; --n) line += pieces[random() % count];
  return line;
}

TEST(ExpressionAgainstNode, AgreesOnNormalisedLines) {
  std::mt19937_64 random(0x11e5);
  std::vector<std::string> expressions;
  for (int i = 0; i < 20000; ++i) {
    expressions.push_back(formula::normalise_formula(free_text_line(random)));
  }
  Tally t = compare_with_node(expressions);
  print("normalised lines", t);
  EXPECT_EQ(t.mismatches, 0);
  EXPECT_GT(t.numbers, 20000 / 2);
  // The normaliser never leaves a regular expression or a "**".
  EXPECT_EQ(t.regular_expressions, 0);
  EXPECT_EQ(t.power_skipped, 0);
}

}  // namespace
}  // namespace tavrel::eval
