// SPDX-License-Identifier: MIT
// Throughput of the formula normaliser on typical lines, and its time on single 1 MB lines that
// a literal stage-by-stage normaliser would take minutes over.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formula/normalise_formula.h"

namespace {

using tavrel::formula::normalise_formula;
using tavrel::text::Text;

constexpr std::size_t kMegabyte = std::size_t{1} << 20;

// A small seeded generator (splitmix64), so that every run sees the same lines.
class random_source {
 public:
  explicit random_source(std::uint64_t seed) : state_(seed) {}
  std::uint64_t below(std::uint64_t bound) {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return (z ^ (z >> 31)) % bound;
  }
  std::string_view pick(std::initializer_list<std::string_view> choices) {
    return choices.begin()[below(choices.size())];
  }

 private:
  std::uint64_t state_;
};

// Appends a number of one to five digits, half or full width, sometimes with a fraction.
void append_number(random_source& random, Text& line) {
  const bool full_width = random.below(3) == 0;
  const auto digits = [&](std::uint64_t count) {
    for (; count > 0; --count) {
      const auto d = static_cast<char>(random.below(10));
      if (full_width) {
        line += '\xA3';
        line += static_cast<char>(0xB0 + d);  // A3 B0..A3 B9: full-width digits
      } else {
        line += static_cast<char>('0' + d);
      }
    }
  };
  digits(1 + random.below(5));
  if (random.below(3) == 0) {
    line += random.pick({".", "\xA3\xAE", "\xA1\xA3"});  // . ． 。
    digits(1 + random.below(2));
  }
}

// Returns a line as users type or paste it: words, units and blanks around two to five numbers
// joined by operators of either width, now and then in parentheses.
Text typical_line(random_source& random) {
  Text line;
  // 苹果 共计 每个 总价 单价 and a blank or nothing
  line += random.pick({"\xC6\xBB\xB9\xFB", "\xB9\xB2\xBC\xC6\xA3\xBA", "\xC3\xBF\xB8\xF6",
                       "\xD7\xDC\xBC\xDB", "\xB5\xA5\xBC\xDB", " ", ""});
  const std::uint64_t numbers = 2 + random.below(4);
  for (std::uint64_t n = 0; n < numbers; ++n) {
    if (n > 0) {
      // + - * / in both widths, ★ ×, with or without blanks around
      line += random.pick({"+", "-", "*", "/", " + ", "\xA3\xAB", "\xA3\xAD", "\xA3\xAA",
                           "\xA1\xEF", "\xA1\xC1", "\xA1\xA1\xA3\xAB\xA1\xA1"});
    }
    const bool parenthesised = random.below(6) == 0;
    if (parenthesised) line += random.pick({"(", "\xA3\xA8"});
    append_number(random, line);
    if (parenthesised) line += random.pick({")", "\xA3\xA9"});
    // 元 个 公斤 米 件 and words without a unit
    line += random.pick(
        {"\xD4\xAA", "\xB8\xF6", "\xB9\xAB\xBD\xEF", "\xC3\xD7", "\xBC\xFE", "", "", " kg", "\t"});
  }
  if (random.below(4) == 0) line += random.pick({"=", "\xA3\xBD", "=?"});
  return line;
}

void BM_TypicalLines(benchmark::State& state) {
  random_source random(2024);
  std::vector<Text> corpus;
  std::size_t bytes = 0;
  for (int n = 0; n < 10'000; ++n) {
    corpus.push_back(typical_line(random));
    bytes += corpus.back().size();
  }
  for (auto _ : state) {
    for (const Text& line : corpus) benchmark::DoNotOptimize(normalise_formula(line));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["bytes_per_line"] = static_cast<double>(bytes) / corpus.size();
}
BENCHMARK(BM_TypicalLines);

// Returns piece repeated up to 1 MB.
Text megabyte_of(std::string_view piece) {
  Text line;
  line.reserve(kMegabyte);
  while (line.size() + piece.size() <= kMegabyte) line.append(piece);
  return line;
}

// Returns 1 MB of random formula characters.
Text megabyte_of_formula_characters() {
  constexpr std::string_view kFormulaCharacters = "0123456789+-*/^().";
  random_source random(7);
  Text line(kMegabyte, '0');
  for (char& c : line) c = kFormulaCharacters[random.below(kFormulaCharacters.size())];
  return line;
}

void BM_OneMegabyteLine(benchmark::State& state, const Text& line) {
  for (auto _ : state) benchmark::DoNotOptimize(normalise_formula(line));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}

// Registers one 1 MB line; the benchmark keeps its own copy of the line.
void register_line(const char* name, const Text& line) {
  benchmark::RegisterBenchmark(name, BM_OneMegabyteLine, line)->Unit(benchmark::kMillisecond);
}

const bool kRegistered = [] {
  register_line("BM_OneMegabyteLine/plus", megabyte_of("+"));
  register_line("BM_OneMegabyteLine/opening", megabyte_of("("));
  register_line("BM_OneMegabyteLine/closing_opening", megabyte_of(")("));
  register_line("BM_OneMegabyteLine/one_point", megabyte_of("1."));
  register_line("BM_OneMegabyteLine/point_plus", megabyte_of(".+"));
  register_line("BM_OneMegabyteLine/parenthesised_one", megabyte_of("(1)"));
  register_line("BM_OneMegabyteLine/one_minus", megabyte_of("1-"));
  register_line("BM_OneMegabyteLine/every_operator", megabyte_of("+-*/^"));
  register_line("BM_OneMegabyteLine/random_formula_characters", megabyte_of_formula_characters());
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
