// SPDX-License-Identifier: MIT
#include "app/cli/filter.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrel::app::cli {
namespace {

struct filter_row {
  const char* name;
  Encoding encoding;
  std::string input;
  std::string out;
};

TEST(Filter, GivesTheSameLinesHoweverTheInputIsCut) {
  const filter_row rows[] = {
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
       std::string("1\0"
                   "2\n",
                   4),
       "12=12\n"},
      {"gbk_lead_before_lf", Encoding::gbk,
       "\x81\n"
       "2\n",
       "2=2\n"},
  };
  for (const filter_row& row : rows) {
    for (std::size_t chunk :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, row.input.size() + 1}) {
      EXPECT_EQ(filter_text(row.encoding, "", row.input, chunk), row.out)
          << row.name << " chunk " << chunk;
    }
  }
}

}  // namespace
}  // namespace tavrel::app::cli
