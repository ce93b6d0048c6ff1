// SPDX-License-Identifier: MIT
#include "app/filter.h"

#include <algorithm>
#include <utility>

#include "app/decimals.h"
#include "app/result_line.h"

namespace tavrel::app {
namespace {

// The results are handed over once they reach this size.
constexpr std::size_t kBlock = std::size_t{1} << 16;

}  // namespace

Filter::Filter(Encoding encoding, std::string_view decimals, CodePage& code_page, Sink sink)
    : m_encoding(encoding),
      m_count(decimal_count(tidy_decimals(decimals))),
      m_sink(std::move(sink)),
      m_utf8(code_page) {
  m_results.reserve(2 * kBlock);
}

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
  m_at_start = true;
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
  } else {
    take_gbk(m_encoding == Encoding::gbk ? m_gbk.convert(bytes) : m_utf8.convert(bytes));
  }
}

void Filter::finish() {
  m_lines.finish([this](std::string_view line) { write_result(line); });
  hand_over();
}

void Filter::take_gbk(std::string_view gbk) {
  m_lines.feed(gbk, [this](std::string_view line) { write_result(line); });
}

void Filter::write_result(std::string_view line) {
  append_result_line(m_results, line, m_count, m_script);
  m_results.pop_back();  // the CR LF that ends every result line becomes LF
  m_results.back() = '\n';
  if (m_results.size() >= kBlock) hand_over();
}

void Filter::hand_over() {
  if (m_results.empty()) return;
  m_sink(m_results);
  m_results.clear();
}

std::string filter_text(Encoding encoding, std::string_view decimals, std::string_view input,
                        std::size_t chunk, CodePage& code_page) {
  std::string out;
  Filter filter(encoding, decimals, code_page, [&out](std::string_view line) { out.append(line); });
  for (std::size_t i = 0; i < input.size(); i += chunk) filter.feed(input.substr(i, chunk));
  filter.end_of_input();
  filter.finish();
  return out;
}

}  // namespace tavrel::app
