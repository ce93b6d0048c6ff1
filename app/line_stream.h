// SPDX-License-Identifier: MIT
// Splits a stream of GBK bytes into the lines that the input box would give, chunk by chunk.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/text.h"

namespace tavrel::app {

// Feeds bytes as they arrive and hands out each complete line. The lines are exactly those of
// split_lines(T, "\r\n") where T is the whole stream with every LF that no CR precedes turned into
// CR LF, as the input box holds it; the state carried between chunks is one line and two flags.
class LineStream {
 public:
  // Consumes bytes and calls on_line(line) for every line they complete.
  template <typename OnLine>
  void feed(std::string_view bytes, OnLine&& on_line);

  // Ends the stream and calls on_line for the last line, if bytes stand after the last separator.
  template <typename OnLine>
  void finish(OnLine&& on_line);

 private:
  // Returns whether the byte after these bytes (none of them CR or LF) is the second byte of a
  // two-byte character, given whether their first byte is.
  static bool trail_due_after(std::string_view ordinary, bool trail_due);

  // Returns the index of the first CR or LF in bytes at or after start, or bytes.size().
  static std::size_t find_line_break(std::string_view bytes, std::size_t start);

  // Takes one byte of the converted stream through the line scan, by the character step.
  template <typename OnLine>
  void scan(char c, OnLine& on_line);

  text::Text m_line;
  bool m_trail_due = false;     // the next byte is the second byte of a two-byte character
  bool m_after_cr = false;      // the last byte was a CR at a character boundary
  bool m_prev_byte_cr = false;  // the last byte read was a CR (for the LF conversion)
};

// Calls on_line(line) for every line of text, which ends with an LF and has every CR and LF as
// a character of its own, never the second byte of a two-byte character: the lines are then
// those that a LineStream gives, found without following the character step. Each LF ends a
// line, with the CR before it, if any.
template <typename OnLine>
void for_each_line_of_well_formed(std::string_view text, OnLine&& on_line) {
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    on_line(line);
    text.remove_prefix(lf + 1);
  }
}

inline bool LineStream::trail_due_after(std::string_view ordinary, bool trail_due) {
  // After a byte that is no lead byte a character begins, whatever came before: that byte was a
  // character of its own or the second byte of one. So only the lead bytes at the end count.
  std::size_t high = 0;
  while (high < ordinary.size() &&
         text::is_lead_byte(static_cast<unsigned char>(ordinary[ordinary.size() - 1 - high]))) {
    ++high;
  }
  if (high == ordinary.size()) high += trail_due ? 1 : 0;
  return high % 2 == 1;
}

inline std::size_t LineStream::find_line_break(std::string_view bytes, std::size_t start) {
  std::size_t i = start;
  if constexpr (std::endian::native == std::endian::little) {
    // Eight bytes at a time: a byte equal to CR or LF becomes a zero byte after the exclusive-or,
    // and the lowest byte marked below is the first zero byte (a borrow marks only higher ones).
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    const auto zero_bytes = [](std::uint64_t w) { return (w - kOnes) & ~w & kHighs; };
    for (; i + 8 <= bytes.size(); i += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, bytes.data() + i, 8);
      const std::uint64_t marks = zero_bytes(word ^ kOnes * '\r') | zero_bytes(word ^ kOnes * '\n');
      if (marks != 0) return i + static_cast<std::size_t>(std::countr_zero(marks)) / 8;
    }
  }
  while (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n') ++i;
  return i;
}

template <typename OnLine>
void LineStream::feed(std::string_view bytes, OnLine&& on_line) {
  for (std::size_t run = 0;;) {
    const std::size_t i = find_line_break(bytes, run);
    if (i > run) {
      // Bytes other than CR and LF only move the character step on: they join the line whole.
      const std::string_view ordinary = bytes.substr(run, i - run);
      const bool trail_due = trail_due_after(ordinary, m_trail_due);
      // The common case: a whole line inside the chunk, ended by an LF at a character boundary,
      // goes out as it stands, without a copy.
      if (m_line.empty() && !m_trail_due && !trail_due && i < bytes.size() && bytes[i] == '\n') {
        on_line(ordinary);
        m_after_cr = m_prev_byte_cr = false;
        run = i + 1;
        continue;
      }
      m_trail_due = trail_due;
      m_after_cr = m_prev_byte_cr = false;
      m_line.append(ordinary);
    }
    if (i == bytes.size()) return;
    const char c = bytes[i];
    // A lone LF stands for the CR LF of the input box: its CR goes through the scan first.
    if (c == '\n' && !m_prev_byte_cr) scan('\r', on_line);
    m_prev_byte_cr = c == '\r';
    scan(c, on_line);
    run = i + 1;
  }
}

template <typename OnLine>
void LineStream::scan(char c, OnLine& on_line) {
  if (m_trail_due) {
    m_line.push_back(c);
    m_trail_due = false;
    return;
  }
  if (m_after_cr) {
    m_after_cr = false;
    if (c == '\n') {
      m_line.pop_back();
      on_line(std::string_view(m_line));
      m_line.clear();
      return;
    }
  }
  m_line.push_back(c);
  m_after_cr = c == '\r';
  m_trail_due = text::is_lead_byte(static_cast<unsigned char>(c));
}

template <typename OnLine>
void LineStream::finish(OnLine&& on_line) {
  if (!m_line.empty()) on_line(std::string_view(m_line));
  m_line.clear();
  m_trail_due = m_after_cr = m_prev_byte_cr = false;
}

}  // namespace tavrel::app
