// SPDX-License-Identifier: MIT
#include "app/shutdown.h"

#include <gtest/gtest.h>

namespace tavrel::app {
namespace {

void ignore_report(const char*) {}

TEST(ShutdownRoutine, ReleasesTheResultsOnce) {
  ResultCache results;
  eval::ScriptComponent script;
  results.result_line("1+1", std::nullopt, script);
  set_fatal_reporter(&ignore_report);
  int after = 0;
  ShutdownRoutine shutdown(results, [&after] { ++after; });
  shutdown.run();
  shutdown.run();
  EXPECT_EQ(results.held_bytes(), 0u);
  EXPECT_EQ(after, 1);
  // The reporter is gone: a fatal report after the end would go to standard error.
  EXPECT_EQ(set_fatal_reporter(nullptr), nullptr);
}

}  // namespace
}  // namespace tavrel::app
