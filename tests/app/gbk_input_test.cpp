// SPDX-License-Identifier: MIT
#include "app/gbk_input.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tavrel::app {
namespace {

std::string clean(std::string_view bytes, std::size_t chunk) {
  GbkCleanStream stream;
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += chunk)
    out += stream.convert(bytes.substr(i, chunk));
  return out + stream.finish();
}

struct clean_row {
  const char* name;
  std::string in;
  std::string out;
};

TEST(GbkCleanStream, KeepsWellFormedGbkAndMarksTheRest) {
  const clean_row rows[] = {
      {"ascii", "1+2\r\n", "1+2\r\n"},
      {"pairs", "\xA3\xB1\xC0\x5E", "\xA3\xB1\xC0\x5E"},
      {"euro_and_ff_alone",
       "\x80\xFF"
       "1",
       "\x80\xFF"
       "1"},
      {"nul",
       std::string("1\0"
                   "2",
                   3),
       "1?2"},
      // A lead byte before a byte that is no second byte is "?", and that byte stays itself.
      {"lead_before_lf",
       "\x81\n"
       "2",
       "?\n"
       "2"},
      {"lead_before_cr", "\x81\r\n", "?\r\n"},
      {"lead_before_ff", "\x81\xFF", "?\xFF"},
      {"lead_before_nul", std::string("\x81\0", 2), "??"},
      {"lead_before_lead_pair", "\x81\x3F\xB0\xA1", "?\x3F\xB0\xA1"},
      {"second_byte_bounds", "\x81\x40\x81\x7E\x81\x80\x81\xFE",
       "\x81\x40\x81\x7E\x81\x80\x81\xFE"},
      {"below_bounds", "\x81\x7F", "?\x7F"},
      {"lead_at_end", "1\x81", "1?"},
  };
  for (const clean_row& row : rows) {
    for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, row.in.size() + 1}) {
      EXPECT_EQ(clean(row.in, chunk), row.out) << row.name << " chunk " << chunk;
    }
  }
}

TEST(GbkCleanStream, NeverLetsALeadByteTakeALineBreak) {
  std::mt19937 random(8);
  const char alphabet[] = {'1', '\r', '\n', '\0', '\x80', '\x81', '\xA3', '\xFE', '\xFF', '\x40'};
  for (int round = 0; round < 20000; ++round) {
    std::string bytes(random() % 12, ' ');
    for (char& c : bytes) c = alphabet[random() % sizeof alphabet];
    const std::string whole = clean(bytes, bytes.size() + 1);
    ASSERT_EQ(clean(bytes, 1 + random() % 4), whole) << "round " << round;
    for (std::size_t i = 0; i < whole.size(); i += text::char_size(whole, i)) {
      ASSERT_NE(whole[i], '\0');
      if (text::char_size(whole, i) == 2) {
        ASSERT_TRUE(whole[i + 1] != '\r' && whole[i + 1] != '\n');
      }
    }
    std::size_t last = 0;
    for (std::size_t i = 0; i < whole.size(); i += text::char_size(whole, i)) last = i;
    ASSERT_FALSE(!whole.empty() && text::is_lone_lead(whole, last)) << "round " << round;
  }
}

// A code page that writes every character as "#", so that a test shows which ones it was asked.
class HashCodePage : public CodePage {
 public:
  std::string encode(char16_t) override {
    ++asked;
    return "#";
  }
  int asked = 0;
};

TEST(Utf8ToGbkStream, AsksTheCodePageOncePerCharacter) {
  HashCodePage code_page;
  Utf8ToGbkStream stream(code_page);
  // Two euro signs, a cut sequence, U+0000 and a character outside the basic plane.
  EXPECT_EQ(stream.convert("\xE2\x82\xAC"
                           "1\xE2\x82"),
            "#1");
  EXPECT_EQ(stream.convert("\xAC"
                           "\xF0\x9F\x98\x80" +
                           std::string(1, '\0')),
            "#??");
  EXPECT_EQ(stream.convert("\xC3"), "");
  EXPECT_EQ(stream.finish(), "?");
  EXPECT_EQ(code_page.asked, 1);
}

}  // namespace
}  // namespace tavrel::app
