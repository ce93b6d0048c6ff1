// SPDX-License-Identifier: MIT
// Nanoseconds per call of the number reader and writer on the values a result line holds.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>
#include <string>

#include "eval/format_number.h"
#include "eval/to_number.h"

namespace {

using tavrel::eval::format_number;
using tavrel::eval::to_number;

// Texts as the evaluation service gives them, and one a user could paste.
struct ValueText {
  const char* label;
  const char* text;
};
const ValueText kValueTexts[] = {
    {"3", "3"},
    {"0.3333333333333", "0.3333333333333"},
    {"-12.5", "-12.5"},
    {"1.234567890123e+013", "1.234567890123e+013"},
    {"1e-007", "1e-007"},
    {"1.#INF", "1.#INF"},
    {"-1.#IND", "-1.#IND"},
    {"full-width 12.5", "\xA3\xB1\xA3\xB2\xA3\xAE\xA3\xB5"},
};

void BM_ToNumber(benchmark::State& state) {
  const ValueText& value = kValueTexts[state.range(0)];
  const std::string text = value.text;
  state.SetLabel(value.label);
  for (auto _ : state) benchmark::DoNotOptimize(to_number(text));
}
BENCHMARK(BM_ToNumber)->DenseRange(0, std::size(kValueTexts) - 1);

const double kValues[] = {3.0, 1.0 / 3, -12.5, 12345678901234.0, 1e-7, 123456789.123456};

void BM_FormatNumber(benchmark::State& state) {
  const double x = kValues[state.range(0)];
  state.SetLabel("x " + format_number(x));
  for (auto _ : state) benchmark::DoNotOptimize(format_number(x));
}
BENCHMARK(BM_FormatNumber)->DenseRange(0, std::size(kValues) - 1);

// The count costs nothing beyond the places it writes: 184 and 2147483647 give the same text.
void BM_FormatNumberWithCount(benchmark::State& state) {
  const double x = kValues[state.range(0)];
  const auto n = static_cast<std::int32_t>(state.range(1));
  state.SetLabel("x " + format_number(x));
  for (auto _ : state) benchmark::DoNotOptimize(format_number(x, n));
}
BENCHMARK(BM_FormatNumberWithCount)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {2, 0, -2}})
    ->Args({1, 184})
    ->Args({1, 2147483647})
    ->Args({0, 184})
    ->Args({0, 2147483647});

}  // namespace

BENCHMARK_MAIN();
