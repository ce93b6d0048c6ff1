// SPDX-License-Identifier: MIT
#include "app/filter.h"

#include <algorithm>
#include <utility>

#include "app/decimals.h"
#include "app/result_line.h"

namespace tavrel::app {

Filter::Filter(Encoding encoding, std::string_view decimals, CodePage& code_page, Sink sink,
               std::size_t workers)
    : m_encoding(encoding),
      m_utf8(code_page),
      m_results(decimal_count(tidy_decimals(decimals)), m_utf8.table(), workers, std::move(sink)) {}

void Filter::feed(std::string_view bytes) {
  if (m_at_start) {
    // The first two bytes decide: they wait until both have come.
    const std::size_t take = std::min(bytes.size(), 2 - m_opening.size());
    m_opening.append(bytes.substr(0, take));
    bytes.remove_prefix(take);
    if (m_opening.size() < 2) return;
    choose_encoding(m_opening);
  }
  convert(bytes);
}

void Filter::end_of_input() {
  if (m_at_start) choose_encoding(m_opening);  // an input of less than two bytes
  if (m_utf16) {
    take_gbk(m_utf16->finish());
  } else {
    take_gbk(m_encoding == Encoding::gbk ? m_gbk.finish() : m_utf8.finish());
  }
  m_utf16.reset();
  m_at_start = m_line_open = true;
}

void Filter::choose_encoding(std::string_view opening) {
  m_at_start = false;
  const bool little = opening == "\xFF\xFE", big = opening == "\xFE\xFF";
  if (little || big) {
    m_utf16.emplace(m_utf8.table(), big);  // the mark itself is no text
  } else {
    convert(opening);
  }
  m_opening.clear();
}

void Filter::convert(std::string_view bytes) {
  if (bytes.empty()) return;
  if (m_utf16) {
    take_gbk(m_utf16->convert(bytes));
    return;
  }
  if (m_line_open) {
    // Up to the first LF the bytes may go on with a line or a sequence begun before, or open
    // the input with its mark: they go through this thread's conversion and split.
    const std::size_t lf = bytes.find('\n');
    const std::size_t end = lf == std::string_view::npos ? bytes.size() : lf + 1;
    convert_here(bytes.substr(0, end));
    bytes.remove_prefix(end);
    m_line_open = lf == std::string_view::npos;
    if (m_line_open) return;
  }
  // From here lines begin afresh: their bytes up to the last LF go to the workers whole.
  const std::size_t lf = bytes.rfind('\n');
  const std::size_t whole = lf == std::string_view::npos ? 0 : lf + 1;
  if (whole > 0) m_results.add_lines(m_encoding, bytes.substr(0, whole));
  if (whole < bytes.size()) {
    convert_here(bytes.substr(whole));
    m_line_open = true;
  }
}

void Filter::convert_here(std::string_view bytes) {
  take_gbk(m_encoding == Encoding::gbk ? m_gbk.convert(bytes) : m_utf8.convert(bytes));
}

void Filter::finish() {
  m_lines.finish([this](std::string_view line) { m_results.add_line(line); });
  m_results.finish();
}

void Filter::take_gbk(std::string_view gbk) {
  m_lines.feed(gbk, [this](std::string_view line) { m_results.add_line(line); });
}

std::string filter_text(Encoding encoding, std::string_view decimals, std::string_view input,
                        std::size_t chunk, CodePage& code_page, std::size_t workers) {
  std::string out;
  Filter filter(
      encoding, decimals, code_page, [&out](std::string_view line) { out.append(line); }, workers);
  for (std::size_t i = 0; i < input.size(); i += chunk) filter.feed(input.substr(i, chunk));
  filter.end_of_input();
  filter.finish();
  return out;
}

}  // namespace tavrel::app
