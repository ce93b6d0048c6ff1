// SPDX-License-Identifier: MIT
#include "text/half_width.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrel::text {
namespace {

struct fold_row {
  const char* name;
  std::string in;
  std::string out;
};

TEST(ToHalfWidth, FoldsTheTable) {
  const fold_row rows[] = {
      {"empty", "", ""},
      {"digits_and_plus", "\xA3\xB1\xA3\xB2\xA3\xB3\xA3\xAB\xA3\xB4", "123+4"},
      // （１＋２）×３: the multiplication sign A1 C1 has no one-byte form.
      {"times_sign_stays", "\xA3\xA8\xA3\xB1\xA3\xAB\xA3\xB2\xA3\xA9\xA1\xC1\xA3\xB3",
       "(1+2)\xA1\xC1"
       "3"},
      {"black_star", "\xA3\xB5\xA1\xEF\xA3\xB6", "5*6"},
      {"white_star", "\xA3\xB5\xA1\xEE\xA3\xB6", "5*6"},
      {"division_sign_stays", "\xA3\xB7\xA1\xC2\xA3\xB8",
       "7\xA1\xC2"
       "8"},
      {"ideographic_space", "\xA3\xB1\xA1\xA1\xA3\xB2", "1 2"},
      {"wave_dash", "\xA1\xAB", "~"},
      {"overline", "\xA3\xFE", "~"},
      {"yen", "\xA3\xA4", "$"},
      {"first_of_row", "\xA3\xA1", "!"},
      {"letters_keep_case", "\xA3\xE1\xA3\xC1", "aA"},
      {"ideographic_full_stop_stays",
       "3\xA1\xA3"
       "5",
       "3\xA1\xA3"
       "5"},
      {"chinese_stays",
       "\xBC\xD3"
       "1",
       "\xBC\xD3"
       "1"},
      {"lone_lead_dropped", "1\xA3", "1"},
      // 80 and FF are one-byte characters: kept, and the byte after them is read on its own.
      {"euro_then_full_width_digit", "\x80\xA3\xB1",
       "\x80"
       "1"},
      {"ff_at_end_kept", "1\xFF", "1\xFF"},
      {"one_byte_unchanged", "a \t\r\n~", "a \t\r\n~"},
      // A3 is the trail of B0 A3 here, so A3 B1 is not seen as a full-width digit.
      {"step_by_characters", "\xB0\xA3\xB1", "\xB0\xA3"},
  };
  for (const fold_row& row : rows) EXPECT_EQ(to_half_width(row.in), row.out) << row.name;
}

TEST(RemoveBlanks, RemovesSpacesOnly) {
  const fold_row rows[] = {
      {"empty", "", ""},
      {"spaces", " 1 + 2 ", "1+2"},
      {"tabs_stay", "1\t+\t2", "1\t+\t2"},
      {"line_breaks_stay", "a\r\nb", "a\r\nb"},
      {"only_spaces", "   ", ""},
      {"ideographic_space",
       "1\xA1\xA1"
       "2",
       "12"},
      // 啊“ is B0 A1 A1 B0: the A1 A1 in the middle straddles two characters.
      {"straddling_bytes", "\xB0\xA1\xA1\xB0", "\xB0\xA1\xA1\xB0"},
      {"lone_lead_dropped", "1 \xA1", "1"},
      {"euro_then_ideographic_space",
       "\x80\xA1\xA1"
       "2",
       "\x80"
       "2"},
  };
  for (const fold_row& row : rows) EXPECT_EQ(remove_blanks(row.in), row.out) << row.name;
}

TEST(FoldThenRemoveBlanks, TakesOutIdeographicSpaces) {
  EXPECT_EQ(remove_blanks(to_half_width("\xA3\xB1\xA1\xA1\xA3\xB2")), "12");
}

}  // namespace
}  // namespace tavrel::text
