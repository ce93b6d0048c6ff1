// SPDX-License-Identifier: MIT
#include "app/result_cache.h"

#include <gtest/gtest.h>

#include <string>

#include "app/result_line.h"
#include "eval/script_component.h"

namespace tavrel::app {
namespace {

TEST(ResultCache, ComputesEachLineOnce) {
  eval::ScriptComponent script;
  ResultCache cache;
  EXPECT_EQ(cache.result_line("1+1", std::nullopt, script), "1+1=2\r\n");
  EXPECT_EQ(cache.result_line("1+1", std::nullopt, script), "1+1=2\r\n");
  EXPECT_EQ(cache.computed(), 1u);
}

TEST(ResultCache, KeysOnTheDecimalsToo) {
  eval::ScriptComponent script;
  ResultCache cache;
  EXPECT_EQ(cache.result_line("1/3", std::nullopt, script), "1/3=0.3333333333333\r\n");
  EXPECT_EQ(cache.result_line("1/3", 2, script), "1/3=0.33\r\n");
  // A count of 0 is not the same as no count.
  EXPECT_EQ(cache.result_line("1/3", 0, script), "1/3=0\r\n");
  EXPECT_EQ(cache.result_line("1/3", std::nullopt, script), "1/3=0.3333333333333\r\n");
  EXPECT_EQ(cache.computed(), 3u);
}

TEST(ResultCache, StaysWithinItsBudget) {
  eval::ScriptComponent script;
  const std::size_t budget = 64 * 1024;
  ResultCache cache(budget);
  for (int i = 0; i < 20000; ++i) {
    const std::string line = std::to_string(i) + "+1";
    ASSERT_EQ(cache.result_line(line, std::nullopt, script),
              result_line(line, std::nullopt, script));
    ASSERT_LE(cache.held_bytes(), budget);
  }
  // Recently used lines survive the ageing.
  const std::size_t before = cache.computed();
  cache.result_line("19999+1", std::nullopt, script);
  EXPECT_EQ(cache.computed(), before);
}

TEST(ResultCache, AnswersGiantLinesWithoutKeepingThem) {
  eval::ScriptComponent script;
  ResultCache cache(1024);
  const std::string giant(4096, '1');
  EXPECT_EQ(cache.result_line(giant, std::nullopt, script),
            result_line(giant, std::nullopt, script));
  EXPECT_EQ(cache.held_bytes(), 0u);
}

}  // namespace
}  // namespace tavrel::app
