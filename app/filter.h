// SPDX-License-Identifier: MIT
// The run that tavrel-cli drives: input bytes in, result lines out, in the order of the input.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/cli_options.h"
#include "app/code_page.h"
#include "app/gbk_input.h"
#include "app/line_stream.h"
#include "app/result_pool.h"
#include "text/text.h"

namespace tavrel::app {

class Filter {
 public:
  // Receives the result lines, their CR LF already written as LF, in blocks of whole lines.
  using Sink = std::function<void(std::string_view)>;

  // Every input is read in the encoding given, unless it opens with the byte-order mark of
  // UTF-16 (FF FE little-endian, FE FF big-endian): the mark names the encoding of that input,
  // whatever the option. UTF-8 and UTF-16 input are converted through code_page, which must
  // outlive the filter. The results are computed by `workers` threads (none: on the caller's).
  Filter(Encoding encoding, std::string_view decimals, CodePage& code_page, Sink sink,
         std::size_t workers = default_worker_count());

  // Takes the next bytes of the current input.
  void feed(std::string_view bytes);

  // Ends the current input (a sequence cut at its end becomes "?").
  void end_of_input();

  // Ends the whole stream: the last line, if any, is written, and every result handed over.
  void finish();

 private:
  void choose_encoding(std::string_view opening);
  void convert(std::string_view bytes);
  void convert_here(std::string_view bytes);
  void take_gbk(std::string_view gbk);

  Encoding m_encoding;
  std::string m_opening;  // the first bytes of the input, held until they name its encoding
  bool m_at_start = true;
  std::optional<Utf16ToGbkStream> m_utf16;  // while the input is UTF-16
  bool m_line_open = true;  // a line or a sequence may go on: the input's start, or no LF yet
  Utf8ToGbkStream m_utf8;
  GbkCleanStream m_gbk;
  LineStream m_lines;
  ResultPool m_results;
};

// Returns the output of one whole run over input, fed in pieces of at most chunk bytes, its
// results computed by `workers` threads.
std::string filter_text(Encoding encoding, std::string_view decimals, std::string_view input,
                        std::size_t chunk, CodePage& code_page, std::size_t workers = 0);

}  // namespace tavrel::app
