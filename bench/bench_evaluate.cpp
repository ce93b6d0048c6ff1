// SPDX-License-Identifier: MIT
// Expressions per second through the script component, on typical lines after normalisation.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "eval/expression.h"
#include "eval/script_component.h"
#include "formula/normalise_formula.h"
#include "text/text.h"

namespace {

// Lines as users type them, in GBK.
const char* const typical_lines[] = {
    "\xC6\xBB\xB9\xFB"
    "3\xB8\xF6\xC3\xBF\xB8\xF6"
    "2.5\xD4\xAA",                                               // 苹果3个每个2.5元
    "\xB9\xB2\xBC\xC6\xA3\xBA\xA3\xB1\xA3\xB2\xA3\xB3\xD4\xAA",  // 共计：１２３元
    // １２．５＊（３－１）
    "\xA3\xB1\xA3\xB2\xA3\xAE\xA3\xB5\xA3\xAA\xA3\xA8\xA3\xB3\xA3\xAD\xA3\xB1\xA3\xA9",
    "\xA3\xB3\xA3\xAB\xA3\xB4",  // ３＋４
    // 工资8500-社保1200-公积金600
    "\xB9\xA4\xD7\xCA"
    "8500-\xC9\xE7\xB1\xA3"
    "1200-\xB9\xAB\xBB\xFD\xBD\xF0"
    "600",
    "(100+200)*0.85-50",
    // 油费 320.5 + 过路费 85 + 停车 20
    "\xD3\xCD\xB7\xD1 320.5 + \xB9\xFD\xC2\xB7\xB7\xD1 85 + \xCD\xA3\xB3\xB5 20",
    "1/3",
    "2\xC0^3+1",  // 2繼3+1
    "\xB5\xA5\xBC\xDB"
    "12.8\xA1\xC1\xCA\xFD\xC1\xBF"
    "15",  // 单价12.8×数量15
    "5*(2+3)",
    // 合计（１２＋３４．５）／２
    "\xBA\xCF\xBC\xC6\xA3\xA8\xA3\xB1\xA3\xB2\xA3\xAB\xA3\xB3\xA3\xB4\xA3\xAE\xA3\xB5\xA3\xA9\xA3"
    "\xAF\xA3\xB2",
    "1,000+2",
    "\xB7\xBF\xD7\xE2"
    "3000/30*7",  // 房租3000/30*7
    "-5+3.25*4",
    "(3+4",
};

std::vector<tavrel::text::Text> normalised_lines() {
  std::vector<tavrel::text::Text> out;
  for (const char* line : typical_lines) out.push_back(tavrel::formula::normalise_formula(line));
  return out;
}

// The service as the calculation run calls it: expression in, value text out.
void BM_ScriptComponentEvaluate(benchmark::State& state) {
  const std::vector<tavrel::text::Text> expressions = normalised_lines();
  tavrel::eval::ScriptComponent script;
  for (auto _ : state) {
    for (const tavrel::text::Text& e : expressions) benchmark::DoNotOptimize(script.evaluate(e));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(expressions.size()));
}
BENCHMARK(BM_ScriptComponentEvaluate);

// The evaluator alone, without the value text.
void BM_EvaluateExpression(benchmark::State& state) {
  const std::vector<tavrel::text::Text> expressions = normalised_lines();
  for (auto _ : state) {
    for (const tavrel::text::Text& e : expressions) {
      benchmark::DoNotOptimize(tavrel::eval::evaluate_expression(e));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(expressions.size()));
}
BENCHMARK(BM_EvaluateExpression);

// Nesting n deep: the time per byte stays the same as n grows.
void BM_DeepNesting(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const std::string e = std::string(n, '(') + "1" + std::string(n, ')');
  for (auto _ : state) benchmark::DoNotOptimize(tavrel::eval::evaluate_expression(e));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(e.size()));
  state.SetComplexityN(static_cast<std::int64_t>(n));
}
BENCHMARK(BM_DeepNesting)->RangeMultiplier(10)->Range(1000, 1000000)->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
