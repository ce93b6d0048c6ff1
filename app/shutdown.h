// SPDX-License-Identifier: MIT
// The shutdown routine of the window programs: registered once at start-up, run at most once, at
// the normal end; the fatal path ends the process without it.
#pragma once

#include <functional>
#include <utility>

#include "app/fatal_error.h"
#include "app/result_cache.h"

namespace tavrel::app {

class ShutdownRoutine {
 public:
  // Releases what lives from one calculation run to the next, the result lines the window
  // keeps (the formula normaliser keeps no texts between calls), and stops showing fatal
  // reports in a box, since the window's services go away after it; then runs `after`.
  ShutdownRoutine(ResultCache& results, std::function<void()> after)
      : m_results(&results), m_after(std::move(after)) {}

  // Runs the routine the first time it is called; later calls do nothing.
  void run() {
    if (m_results == nullptr) return;
    std::exchange(m_results, nullptr)->clear();
    set_fatal_reporter(nullptr);
    if (m_after) m_after();
  }

 private:
  ResultCache* m_results;
  std::function<void()> m_after;
};

}  // namespace tavrel::app
