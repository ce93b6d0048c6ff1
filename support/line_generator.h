// SPDX-License-Identifier: MIT
// Lines for the normaliser tests: seeded free text, every short string over a few symbols, and a
// readable form of GBK bytes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "text/text.h"

namespace tavrel::support::lines {

// A seeded, platform-independent source of lines as users type or paste them: numbers in half
// and full width with leading zeros, operators of both widths and ★☆×÷, points . ． 。, runs of
// operators and points, unbalanced parentheses, Chinese words, blanks and tabs, stray bytes.
class line_generator {
 public:
  explicit line_generator(std::uint64_t seed) : m_state(seed) {}

  // Returns the next line.
  text::Text next();

  // Returns the next number of 0..bound-1, for choices around the lines.
  std::uint64_t below(std::uint64_t bound);

 private:
  std::uint64_t next_random();
  std::string_view pick(std::initializer_list<std::string_view> choices);
  void append_number(text::Text& line);
  void append_piece(text::Text& line);

  std::uint64_t m_state;
};

// The symbols of the exhaustive checks: "0" "1" "." "+" "-" "*" "^" "(" ")" "a" and 繼 (C0 5E), a
// two-byte character whose second byte is "^".
inline constexpr std::array<std::string_view, 11> kSymbols = {"0", "1", ".", "+", "-",       "*",
                                                              "^", "(", ")", "a", "\xC0\x5E"};

// Calls visit with prefix followed by every string of 0 to count symbols.
void for_each_extension(std::string prefix, int count,
                        const std::function<void(std::string_view)>& visit);

// Returns t with every byte outside 0x20..0x7E written as \xHH, for failure messages.
std::string escaped(std::string_view t);

}  // namespace tavrel::support::lines
