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

// A code page that knows three characters: 中 as D6 D0, the euro sign as 80 and U+00AD as nothing.
// A code page that writes some characters in bytes that are no whole GBK characters.
class LooseCodePage : public CodePage {
 public:
  std::string encode(char16_t c) override {
    switch (c - kFirst) {
      case 0:
        return "\x81";  // a lead byte alone
      case 1:
        return "\x81\n";  // one before a line break
      case 2:
        return "\x81\x7F";  // one before a byte that cannot follow it
      case 3:
        return "\xFE\xA1";  // whole: a pair
      case 4:
        return "ab";  // whole: two characters of one byte
      case 5:
        return "\x80";  // whole: the euro sign
      default:
        return "";  // whole: nothing
    }
  }
  static constexpr char16_t kFirst = u'\u4E00';
};

TEST(GbkTable, WritesBytesThatAreNoWholeCharactersAsAQuestionMark) {
  LooseCodePage code_page;
  GbkTable table(code_page);
  std::string out;
  for (char32_t c = LooseCodePage::kFirst; c < LooseCodePage::kFirst + 7; ++c) {
    char bytes[2];
    out.append(bytes, table.write(bytes, c));
  }
  EXPECT_EQ(out,
            "???\xFE\xA1"
            "ab\x80");
}

class SmallCodePage : public CodePage {
 public:
  std::string encode(char16_t c) override {
    if (c == u'中') return "\xD6\xD0";
    if (c == u'€') return "\x80";
    if (c == u'\u00AD') return "";
    return "?";
  }
};

// Returns the UTF-16 code units as bytes in the given order.
std::string utf16_bytes(std::u16string_view units, bool big_endian) {
  std::string out;
  for (const char16_t u : units) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    out += big_endian ? std::string{high, low} : std::string{low, high};
  }
  return out;
}

std::string utf16_convert(std::string_view bytes, bool big_endian, std::size_t chunk) {
  SmallCodePage code_page;
  GbkTable table(code_page);
  Utf16ToGbkStream stream(table, big_endian);
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += chunk)
    out += stream.convert(bytes.substr(i, chunk));
  return out + stream.finish();
}

TEST(Utf16ToGbkStream, ConvertsEitherByteOrderHoweverTheInputIsCut) {
  struct row {
    const char* name;
    std::u16string in;
    std::string out;
  };
  const row rows[] = {
      {"ascii_and_line_ends", u"1+2\r\n3\n", "1+2\r\n3\n"},
      {"table", u"中€\u00AD中x", "\xD6\xD0\x80\xD6\xD0x"},
      {"unknown", u"\u00E9", "?"},
      {"nul", std::u16string(u"a\0b", 3), "a?b"},
      // A character outside the basic plane is one "?", as it is for UTF-8 input.
      {"surrogate_pair",
       u"1\U0001F600"
       "2",
       "1?2"},
      {"lone_high",
       u"1\xD83D"
       "2",
       "1?2"},
      {"lone_high_before_line_end", u"\xD83D\n", "?\n"},
      {"lone_high_at_end", u"1\xD83D", "1?"},
      {"lone_low",
       u"1\xDE00"
       "2",
       "1?2"},
      {"high_high_low", u"\xD83D\xD83D\xDE00", "??"},
      // A byte-order mark after the start is text: a character that GBK cannot hold.
      {"inner_mark", u"1\uFEFF", "1?"},
  };
  for (const row& r : rows) {
    for (const bool big : {false, true}) {
      const std::string bytes = utf16_bytes(r.in, big);
      for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{3}, bytes.size() + 1}) {
        EXPECT_EQ(utf16_convert(bytes, big, chunk), r.out)
            << r.name << (big ? " big" : " little") << " chunk " << chunk;
      }
    }
  }
}

TEST(Utf16ToGbkStream, MarksAnOddByteAtTheEnd) {
  for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{4}}) {
    EXPECT_EQ(utf16_convert(std::string("1\0"
                                        "2",
                                        3),
                            false, chunk),
              "1?")
        << chunk;
    // A high surrogate and an odd byte: each is a "?".
    EXPECT_EQ(utf16_convert(std::string("\x3D\xD8"
                                        "2",
                                        3),
                            false, chunk),
              "??")
        << chunk;
  }
}

}  // namespace
}  // namespace tavrel::app
