// SPDX-License-Identifier: MIT
#include "text/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace tavrel::text {
namespace {

struct cut_row {
  const char* name;
  Text out;
  Text expected;
};

TEST(TextCut, ClampsPositionsAndCounts) {
  const cut_row rows[] = {
      {"left_zero", left("abc", 0), ""},
      {"left_of_empty", left("", 3), ""},
      {"left_past_end", left("abc", 9), "abc"},
      {"left_negative", left("abc", -2), ""},
      {"right_two", right("abc", 2), "bc"},
      {"right_past_end", right("abc", 9), "abc"},
      {"right_negative", right("abc", -1), ""},
      {"middle_before_start", middle("abc", 0, 1), ""},
      {"middle_past_end", middle("abc", 4, 1), ""},
      {"middle_zero_count", middle("abc", 2, 0), ""},
      {"middle_count_clamped", middle("abc", 3, 5), "c"},
      {"middle_far_before", middle("abc", -5, 100), ""},
      {"middle_huge_count", middle("abc", 1, INT32_MAX), "abc"},
      // Plain bytes: a full-width digit (A3 B1) is cut in half.
      {"middle_lead_byte", middle("\xA3\xB1", 1, 1), "\xA3"},
      {"middle_trail_byte", middle("\xA3\xB1", 2, 1), "\xB1"},
  };
  for (const cut_row& row : rows) EXPECT_EQ(row.out, row.expected) << row.name;
}

struct find_row {
  const char* name;
  std::string t;
  std::string s;
  std::int32_t first;
  std::int32_t last;
};

TEST(TextFind, FindsAtCharacterBoundaries) {
  const find_row rows[] = {
      // An empty probe counts as a member of every non-empty set.
      {"empty_probe", "()+*-/^", "", 1, 1},
      {"empty_probe_empty_text", "", "", -1, -1},
      {"empty_probe_last_is_one", "abc", "", 1, 1},
      {"in_empty_text", "", "(", -1, -1},
      {"first_and_last", "a(b(", "(", 2, 4},
      {"longer_than_text", "ab", "abc", -1, -1},
      {"case_sensitive", "abc", "B", -1, -1},
      {"overlapping_last", "aaa", "aa", 1, 2},
      // 81 5E is one character: its trail byte is no "^".
      {"trail_byte_skipped", "\x81\x5E\x5E", "^", 3, 3},
      {"only_trail_byte", "\x81\x5E", "^", -1, -1},
      // A lone lead byte at the end is a one-byte character of its own.
      {"lone_lead", "a\xA3", "\xA3", 2, 2},
      // An occurrence may end inside a two-byte character.
      {"ends_inside_character", "a\xA3\xB1", "a\xA3", 1, 1},
      // 80 (the euro sign) and FF are characters of one byte: the byte after them is no trail.
      {"euro_stands_alone", "\x80^", "^", 2, 2},
      {"ff_stands_alone", "\xFF(\xFF(", "(", 2, 4},
  };
  for (const find_row& row : rows) {
    EXPECT_EQ(find(row.t, row.s), row.first) << row.name;
    EXPECT_EQ(find_last(row.t, row.s), row.last) << row.name;
  }
}

TEST(TextReplaceAt, ClampsAndInserts) {
  const cut_row rows[] = {
      {"delete_one", replace_at("abc", 2, 1), "ac"},
      {"start_raised", replace_at("abc", 0, 1, "x"), "xbc"},
      {"start_far_below", replace_at("abc", -7, 1, "x"), "xbc"},
      {"count_lowered", replace_at("abc", 3, 5), "ab"},
      {"append_past_end", replace_at("abc", 9, 1, "x"), "abcx"},
      {"insert_with_zero", replace_at("abc", 2, 0, "x"), "axbc"},
      {"insert_with_negative", replace_at("abc", 2, -3, "x"), "axbc"},
      {"empty_replacement", replace_at("abc", 2, 1, ""), "ac"},
      {"to_empty", replace_at("a", 1, 1), ""},
      {"huge_position", replace_at("abc", INT32_MAX, INT32_MAX, "x"), "abcx"},
      {"several_bytes", replace_at("abc", 2, 1, "*("), "a*(c"},
  };
  for (const cut_row& row : rows) EXPECT_EQ(row.out, row.expected) << row.name;
}

TEST(TextReplaceAll, ReplacesLeftToRightWithoutOverlap) {
  const cut_row rows[] = {
      {"two_occurrences", replace_all("(+1(+2", "(+", "(0+"), "(0+1(0+2"},
      {"no_overlap", replace_all("aaa", "aa", "b"), "ba"},
      {"empty_probe", replace_all("abc", "", "x"), "abc"},
      {"empty_text", replace_all("", "a", "b"), ""},
      {"inserted_not_searched", replace_all("ab", "b", "bb"), "abb"},
      {"trail_byte_not_replaced", replace_all("\x81\x5E\x5E", "^", "x"), "\x81\x5Ex"},
      // The scan reaches the lone lead byte and drops it.
      {"lone_lead_dropped", replace_all("a\xA3", "a", "x"), "x"},
      {"lone_lead_dropped_after", replace_all("ab\xA3", "b", "x"), "ax"},
      // With a two-byte probe the lone byte is copied with the rest.
      {"lone_lead_copied", replace_all("ab\xA3", "ab", "x"), "x\xA3"},
  };
  for (const cut_row& row : rows) EXPECT_EQ(row.out, row.expected) << row.name;
}

TEST(TextConcat, JoinsInOrder) {
  EXPECT_EQ(concat("", ""), "");
  EXPECT_EQ(concat("#", "1+2", "#"), "#1+2#");
  EXPECT_EQ(concat(std::string("a")), "a");
}

TEST(TextCompare, OrdersUnsignedBytes) {
  EXPECT_EQ(compare("", ""), 0);
  EXPECT_EQ(compare("a", ""), 1);
  EXPECT_EQ(compare("", "a"), -1);
  EXPECT_EQ(compare("a", "ab"), -1);
  EXPECT_EQ(compare("b", "a"), 1);
  EXPECT_EQ(compare("\xB1", "1"), 1);
  EXPECT_EQ(compare("1+2", "1+2"), 0);
}

struct split_row {
  const char* name;
  std::string t;
  TextList lines;
};

TEST(TextSplitLines, SplitsAtCrLf) {
  const split_row rows[] = {
      {"empty", "", {}},
      {"one", "a", {"a"}},
      {"final_separator", "a\r\n", {"a"}},
      {"empty_between", "a\r\n\r\nb", {"a", "", "b"}},
      {"only_separator", "\r\n", {""}},
      {"leading_separator", "\r\na", {"", "a"}},
      {"two_final", "a\r\n\r\n", {"a", ""}},
      {"lone_lf", "a\nb", {"a\nb"}},
      {"lone_cr", "a\rb", {"a\rb"}},
      // The CR is the trail byte of the two-byte character 81 0D.
      {"cr_inside_character", "\x81\r\na", {"\x81\r\na"}},
      {"lone_lead_stays", "a\r\n\xA3", {"a", "\xA3"}},
      // A euro sign before the line break takes nothing with it.
      {"euro_before_break", "5\x80\r\n3", {"5\x80", "3"}},
      {"ff_before_break", "\xFF\r\n", {"\xFF"}},
      {"full_width_lines", "\xA3\xB1\r\n\xA3\xB2", {"\xA3\xB1", "\xA3\xB2"}},
  };
  for (const split_row& row : rows) EXPECT_EQ(split_lines(row.t, "\r\n"), row.lines) << row.name;
}

TEST(Text, WholeCharactersNeverEndMidCharacter) {
  struct row {
    const char* name;
    std::string t;
    std::size_t limit;
    std::size_t length;
  };
  const row rows[] = {
      {"ascii", "12345", 3, 3},
      {"pair_fits",
       "\xA3\xB1"
       "1",
       2, 2},
      {"pair_cut", "1\xA3\xB1", 2, 1},
      {"euro_alone", "\x80\x80", 1, 1},
      {"lone_lead_at_end", "1\xA3", 5, 2},
      {"limit_past_end", "ab", 9, 2},
      {"nothing", "\xA3\xB1", 1, 0},
  };
  for (const row& r : rows) EXPECT_EQ(whole_characters(r.t, r.limit), r.length) << r.name;
}

}  // namespace
}  // namespace tavrel::text
