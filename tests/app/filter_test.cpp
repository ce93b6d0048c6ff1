// SPDX-License-Identifier: MIT
#include "app/filter.h"

#include "app/qt/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrel::app {
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
  };
  qt::GbkCodec codec;
  for (const filter_row& row : rows) {
    for (std::size_t chunk :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, row.input.size() + 1}) {
      EXPECT_EQ(filter_text(row.encoding, "", row.input, chunk, codec), row.out)
          << row.name << " chunk " << chunk;
    }
  }
}

}  // namespace
}  // namespace tavrel::app
