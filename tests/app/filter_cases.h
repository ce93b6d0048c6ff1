// SPDX-License-Identifier: MIT
// The filter's cases, run with each front end's own code page: the code pages agree on them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/filter.h"
#include "app/gbk_input.h"
#include "app/line_stream.h"
#include "support/line_generator.h"

namespace tavrel::app::testing {

struct FilterRow {
  const char* name;
  Encoding encoding;
  std::string input;
  std::string out;
};

inline std::vector<FilterRow> filter_rows() {
  using std::string_literals::operator""s;
  return {
      {"plain", Encoding::utf8, "1+1\n2*3\r\n", "1+1=2\n2*3=6\n"},
      {"full_width", Encoding::utf8, "\xEF\xBC\x93\xEF\xBC\x8B\xEF\xBC\x94", "3+4=7\n"},
      // A lead byte cut off by the end of the input is a malformed sequence: "?", not nothing.
      {"cut_sequence_at_end", Encoding::utf8, "\xC3", "=0\n"},
      // Found by the fuzzer: malformed leads, fed one byte at a time, once gave no line at all.
      {"malformed_leads", Encoding::utf8, "\xD5\xC6\xC6\xC6\xC6\xC3", "=0\n"},
      {"bom_then_text", Encoding::utf8,
       "\xEF\xBB\xBF"
       "5\n",
       "5=5\n"},
      {"gbk_nul", Encoding::gbk,
       "1\0"
       "2\n"s,
       "12=12\n"},
      // A lead byte without its second byte is "?": the line break after it stays.
      {"gbk_lead_before_lf", Encoding::gbk,
       "\x81\n"
       "2\n",
       "=0\n2=2\n"},
      {"gbk_lead_at_end", Encoding::gbk, "5\x81", "5=5\n"},
      {"gbk_euro_stands_alone", Encoding::gbk, "100\x80+20\x80\n5\x80\n3",
       "100+20=120\n5=5\n3=3\n"},
      {"utf8_euro_stands_alone", Encoding::utf8,
       "5\xE2\x82\xAC"
       "1+2\n\xE2\x82\xAC"
       "3\n",
       "51+2=53\n3=3\n"},
      // UTF-16 as PowerShell writes it: its byte-order mark names the encoding, over the option.
      {"utf16le", Encoding::utf8,
       "\xFF\xFE"
       "1\0+\0"
       "2\0\r\0\n\0"
       "3\0"s,
       "1+2=3\n3=3\n"},
      {"utf16le_over_gbk", Encoding::gbk,
       "\xFF\xFE"
       "1\0+\0"
       "2\0"s,
       "1+2=3\n"},
      // ３＋４ and 苹果2个€5 big-endian: the euro sign stands alone here too.
      {"utf16be", Encoding::utf8,
       "\xFE\xFF\xFF\x13\xFF\x0B\xFF\x14\0\n\x82\xF9\x67\x9C\0"
       "2\x4E\x2A\x20\xAC\0"
       "5"s,
       "3+4=7\n25=25\n"},
      // An odd byte or a lone surrogate at the end is "?": a line of its own after a line break.
      {"utf16_odd_byte", Encoding::utf8,
       "\xFF\xFE"
       "5\0\n\0"
       "7"s,
       "5=5\n=0\n"},
      {"utf16_lone_surrogate", Encoding::utf8,
       "\xFF\xFE"
       "5\0\n\0\x3D\xD8"s,
       "5=5\n=0\n"},
      // No mark: FF alone is no character of UTF-8 and one of GBK.
      {"ff_alone", Encoding::utf8, "\xFF", "=0\n"},
      {"fe_fe_no_mark", Encoding::gbk,
       "\xFE\xFE"
       "1",
       "1=1\n"},
  };
}

// Checks every row, fed whole and in pieces of one to three bytes, on this thread and on two
// workers.
inline void expect_filter_rows(CodePage& code_page) {
  for (const FilterRow& row : filter_rows()) {
    for (std::size_t chunk :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, row.input.size() + 1}) {
      for (std::size_t workers : {0, 2}) {
        EXPECT_EQ(filter_text(row.encoding, "", row.input, chunk, code_page, workers), row.out)
            << row.name << " chunk " << chunk << " workers " << workers;
      }
    }
  }
}

// Returns seeded free-text lines with every line break the split knows between them, as GBK
// bytes (lone lead bytes and all) or, for UTF-8, with each two-byte character turned into one of
// a few UTF-8 characters and each other byte of 80 or above left to be malformed.
inline std::string generated_input(Encoding encoding, std::size_t lines) {
  support::lines::line_generator generator(12);
  const char* const breaks[] = {"\n", "\r\n", "\r\r\n", "\n\n", "\r\n\n"};
  // １ 苹 € 。 ． é 一 丁
  const char* const characters[] = {"\xEF\xBC\x91", "\xE8\x8B\xB9", "\xE2\x82\xAC", "\xE3\x80\x82",
                                    "\xEF\xBC\x8E", "\xC3\xA9",     "\xE4\xB8\x80", "\xE4\xB8\x81"};
  std::string input;
  for (std::size_t n = 0; n < lines; ++n) {
    const std::string line = generator.next();
    for (std::size_t i = 0; i < line.size(); ++i) {
      const auto b = static_cast<unsigned char>(line[i]);
      if (encoding == Encoding::utf8 && b >= 0x81 && b <= 0xFE && i + 1 < line.size()) {
        input += characters[static_cast<unsigned char>(line[++i]) % 8];
      } else {
        input += line[i];
      }
    }
    input += breaks[generator.below(5)];
  }
  return input;
}

// Returns the output as the filter gave it before it had workers: each input converted whole,
// all of them split by one line stream, one result line after another.
inline std::string sequential_output(Encoding encoding, const std::vector<std::string>& inputs,
                                     CodePage& code_page) {
  std::string out;
  eval::ScriptComponent script;
  LineStream lines;
  const auto append = [&](std::string_view line) {
    out += result_line(line, std::nullopt, script);
    out.erase(out.size() - 2, 1);  // CR LF becomes LF
  };
  Utf8ToGbkStream utf8(code_page);
  GbkCleanStream gbk;
  for (const std::string& input : inputs) {
    if (encoding == Encoding::gbk) {
      lines.feed(gbk.convert(input) + gbk.finish(), append);
    } else {
      lines.feed(utf8.convert(input) + utf8.finish(), append);
    }
  }
  lines.finish(append);
  return out;
}

// Checks that the workers give what one thread gave, for inputs that end in the middle of a
// line or of a character, read in chunks of every kind of size.
inline void expect_workers_agree(CodePage& code_page) {
  for (const Encoding encoding : {Encoding::utf8, Encoding::gbk}) {
    const std::string whole = generated_input(encoding, 6000);
    const std::size_t third = whole.size() / 3;
    const std::vector<std::string> inputs = {
        whole.substr(0, third + 1), whole.substr(third + 1, third), whole.substr(2 * third + 1)};
    const std::string expected = sequential_output(encoding, inputs, code_page);
    for (const std::size_t workers : {0, 1, 3}) {
      for (const std::size_t chunk : {3, 4096, 1 << 16}) {
        std::string out;
        Filter filter(
            encoding, "", code_page, [&out](std::string_view lines) { out.append(lines); },
            workers);
        for (const std::string& input : inputs) {
          for (std::size_t i = 0; i < input.size(); i += chunk) filter.feed(input.substr(i, chunk));
          filter.end_of_input();
        }
        filter.finish();
        EXPECT_EQ(out, expected) << (encoding == Encoding::utf8 ? "utf-8" : "gbk") << " workers "
                                 << workers << " chunk " << chunk;
      }
    }
  }
}

// Checks that each input of a run names its own encoding: UTF-16, then UTF-8, then GBK bytes
// under the option gbk, then a lone FF.
inline void expect_each_input_on_its_own(CodePage& code_page) {
  using std::string_literals::operator""s;
  for (const Encoding encoding : {Encoding::utf8, Encoding::gbk}) {
    std::string out;
    Filter filter(encoding, "", code_page, [&out](std::string_view lines) { out.append(lines); });
    for (const std::string& input : {"\xFF\xFE"
                                     "1\0\n\0"s,
                                     "\xEF\xBC\x92\n"s, "\xA3\xB3\n"s, "\xFF"s}) {
      filter.feed(input);
      filter.end_of_input();
    }
    filter.finish();
    // Read as GBK, ２ in UTF-8 is EF BC and the lone lead byte 92; read as UTF-8, A3 B3 is "??".
    EXPECT_EQ(out, encoding == Encoding::utf8 ? "1=1\n2=2\n=0\n=0\n" : "1=1\n=0\n3=3\n=0\n")
        << (encoding == Encoding::utf8 ? "utf-8" : "gbk");
  }
}

}  // namespace tavrel::app::testing
