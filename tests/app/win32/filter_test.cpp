// SPDX-License-Identifier: MIT
// The filter and the input conversions with code page 936, run under Wine.
#include "app/filter.h"

#include "app/gbk_input.h"
#include "app/win32/code_page.h"
#include "tests/app/filter_cases.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tavrel::app::win32 {
namespace {

TEST(Filter, GivesTheSameLinesHoweverTheInputIsCut) {
  Cp936 code_page;
  testing::expect_filter_rows(code_page);
}

TEST(Filter, ReadsEachInputInTheEncodingItNames) {
  Cp936 code_page;
  testing::expect_each_input_on_its_own(code_page);
}

TEST(Filter, GivesOnWorkersWhatOneThreadGives) {
  Cp936 code_page;
  testing::expect_workers_agree(code_page);
}

TEST(Cp936, EncodesKnownCharacters) {
  struct row {
    const char* name;
    std::wstring in;
    std::string out;
  };
  const row rows[] = {
      {"ascii", L"1+2\r\n", "1+2\r\n"},
      {"full_width_digits", L"１２", "\xA3\xB1\xA3\xB2"},
      {"chinese", L"苹果", "\xC6\xBB\xB9\xFB"},
      {"trail_is_caret", L"繼", "\xC0\x5E"},
      {"euro_is_one_byte", L"€", "\x80"},
      {"ideographic_space", L"\u3000", "\xA1\xA1"},
      // One "?" for a character outside the basic plane, as the input conversions give.
      {"outside_the_basic_plane", L"\U0001F600a", "?a"},
      {"unpaired_surrogates", L"\xDE00\xD83D", "??"},
      {"outside_gbk", L"\u0E01", "?"},
      {"nul", std::wstring(L"a\0b", 3), "a?b"},
  };
  Cp936 code_page;
  for (const row& r : rows) {
    EXPECT_EQ(to_gbk(r.in), r.out) << r.name;
    if (r.in.size() == 1) {
      EXPECT_EQ(code_page.encode(r.in[0]), r.out) << r.name;
    }
    if (r.out.find('?') == std::string::npos) {
      EXPECT_EQ(from_gbk(r.out), r.in) << r.name;
    }
  }
}

// The UTF-8 and UTF-16 input conversions ask the code page one character at a time; the result
// must be the code page's own conversion of the whole text.
TEST(Cp936, InputConversionsAgreeWithTheCodePageOnEveryBasicPlaneCharacter) {
  std::wstring wide;
  for (wchar_t c = 0x80; c != 0; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    wide.push_back(c);
    wide.push_back(L'x');  // keeps each character's bytes apart in a failure message
  }
  const std::string expected = to_gbk(wide);
  Cp936 code_page;
  Utf8ToGbkStream utf8(code_page);
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n,
                      nullptr, nullptr);
  EXPECT_EQ(utf8.convert(bytes) + utf8.finish(), expected);
  Utf16ToGbkStream utf16(utf8.table(), false);
  const std::string_view units(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
  EXPECT_EQ(utf16.convert(units) + utf16.finish(), expected);
}

// Long texts go to the system in pieces; however they are cut, the result is that of the whole.
TEST(Cp936, ConvertsInPiecesAsAWhole) {
  std::mt19937 random(13);
  const wchar_t wide_alphabet[] = {L'1', L'\n', L'中', L'€', 0xD83D, 0xDE00, 0xDC00, L'\uFF13'};
  const char gbk_alphabet[] = {'1', '\n', '\x80', '\x81', '\xA3', '\xB3', '\xFE', '\xFF', '\x40'};
  for (int round = 0; round < 2000; ++round) {
    std::wstring wide(random() % 16, L' ');
    for (wchar_t& c : wide) c = wide_alphabet[random() % std::size(wide_alphabet)];
    std::string gbk(random() % 16, ' ');
    for (char& c : gbk) c = gbk_alphabet[random() % sizeof gbk_alphabet];
    const std::size_t piece = 2 + random() % 4;
    ASSERT_EQ(to_gbk(wide, piece), to_gbk(wide)) << "round " << round << " piece " << piece;
    ASSERT_EQ(from_gbk(gbk, piece), from_gbk(gbk)) << "round " << round << " piece " << piece;
  }
}

}  // namespace
}  // namespace tavrel::app::win32
