// SPDX-License-Identifier: MIT
// Result lines already computed, so that an unchanged line is never evaluated twice.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "app/result_line.h"
#include "eval/script_component.h"
#include "text/text.h"

namespace tavrel::app {

// A bounded map from (input line, count of decimals) to its result line. It keeps two
// generations: when the newer one outgrows half the budget, the older one is dropped and the
// newer one takes its place, so memory stays within the budget and recently used lines stay.
class ResultCache {
 public:
  explicit ResultCache(std::size_t budget_bytes = std::size_t{64} << 20);

  // Returns the result line of the line under the count of decimals, computing it on a miss.
  // The reference is good until the next call.
  const text::Text& result_line(std::string_view line, DecimalCount count,
                                eval::ScriptComponent& script);

  // Forgets everything.
  void clear();

  // Returns the number of lines computed so far (misses), for tests and benchmarks.
  std::size_t computed() const { return m_computed; }

  // Returns the bytes held by both generations' keys and values.
  std::size_t held_bytes() const { return m_newer_bytes + m_older_bytes; }

 private:
  using Generation = std::unordered_map<std::string, text::Text>;

  const text::Text& keep(std::string key, text::Text result);
  void age();

  std::size_t m_budget;
  Generation m_newer;
  Generation m_older;
  std::size_t m_newer_bytes = 0;
  std::size_t m_older_bytes = 0;
  std::size_t m_computed = 0;
  std::string m_key;
  text::Text m_uncached;
};

}  // namespace tavrel::app
