// SPDX-License-Identifier: MIT
#include "app/cli/filter.h"

#include <algorithm>
#include <utility>

#include "app/decimals.h"
#include "app/result_line.h"

namespace tavrel::app::cli {

Filter::Filter(Encoding encoding, std::string_view decimals, Sink sink)
    : m_encoding(encoding), m_decimals(tidy_decimals(decimals)), m_sink(std::move(sink)) {}

void Filter::feed(std::string_view bytes) {
  if (m_encoding == Encoding::gbk) {
    // GBK bytes are taken as they are; only the byte 0, which no text holds, becomes "?".
    m_gbk.assign(bytes);
    std::replace(m_gbk.begin(), m_gbk.end(), '\0', '?');
    take_gbk(m_gbk);
  } else {
    take_gbk(m_utf8.convert(bytes));
  }
}

void Filter::end_of_input() {
  if (m_encoding == Encoding::utf8) take_gbk(m_utf8.finish());
}

void Filter::finish() {
  m_lines.finish([this](std::string_view line) { write_result(line); });
}

void Filter::take_gbk(std::string_view gbk) {
  m_lines.feed(gbk, [this](std::string_view line) { write_result(line); });
}

void Filter::write_result(std::string_view line) {
  m_result.clear();
  append_result_line(m_result, line, m_decimals, m_script);
  m_result.resize(m_result.size() - 2);  // the CR LF that ends every result line
  m_result.push_back('\n');
  m_sink(m_result);
}

std::string filter_text(Encoding encoding, std::string_view decimals, std::string_view input,
                        std::size_t chunk) {
  std::string out;
  Filter filter(encoding, decimals, [&out](std::string_view line) { out.append(line); });
  for (std::size_t i = 0; i < input.size(); i += chunk) filter.feed(input.substr(i, chunk));
  filter.end_of_input();
  filter.finish();
  return out;
}

}  // namespace tavrel::app::cli
