// SPDX-License-Identifier: MIT
// Splits a stream of GBK bytes into the lines that the input box would give, chunk by chunk.
#pragma once

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
  // Takes one byte of the converted stream through the line scan, by the character step.
  template <typename OnLine>
  void scan(char c, OnLine& on_line);

  text::Text m_line;
  bool m_trail_due = false;     // the next byte is the second byte of a two-byte character
  bool m_after_cr = false;      // the last byte was a CR at a character boundary
  bool m_prev_byte_cr = false;  // the last byte read was a CR (for the LF conversion)
};

template <typename OnLine>
void LineStream::feed(std::string_view bytes, OnLine&& on_line) {
  std::size_t run = 0;  // where the bytes not yet moved into the line begin
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') {
      // Any other byte only moves the character step on; it joins the line in one piece later.
      m_trail_due = !m_trail_due && static_cast<unsigned char>(c) >= 0x80;
      m_after_cr = m_prev_byte_cr = false;
      continue;
    }
    m_line.append(bytes.substr(run, i - run));
    run = i + 1;
    // A lone LF stands for the CR LF of the input box: its CR goes through the scan first.
    if (c == '\n' && !m_prev_byte_cr) scan('\r', on_line);
    m_prev_byte_cr = c == '\r';
    scan(c, on_line);
  }
  m_line.append(bytes.substr(run));
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
  m_trail_due = static_cast<unsigned char>(c) >= 0x80;
}

template <typename OnLine>
void LineStream::finish(OnLine&& on_line) {
  if (!m_line.empty()) on_line(std::string_view(m_line));
  m_line.clear();
  m_trail_due = m_after_cr = m_prev_byte_cr = false;
}

}  // namespace tavrel::app
