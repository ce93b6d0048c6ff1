// SPDX-License-Identifier: MIT
#include "app/qt/code_page.h"

#include "app/gbk_input.h"
#include "support/qt/whole_text.h"

#include <gtest/gtest.h>

#include <QString>
#include <random>
#include <string>

namespace tavrel::app::qt {
namespace {

std::string stream_convert(std::string_view utf8, std::size_t chunk) {
  GbkCodec codec;
  Utf8ToGbkStream stream(codec);
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); i += chunk) out += stream.convert(utf8.substr(i, chunk));
  return out + stream.finish();
}

// Runs of "?" made one: how many "?" a malformed sequence gives is the decoder's choice, and no
// result depends on it, as long as there is at least one.
std::string collapse_marks(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (!(c == '?' && !out.empty() && out.back() == '?')) out.push_back(c);
  }
  return out;
}

TEST(Gbk, EncodesKnownCharacters) {
  struct row {
    const char* name;
    std::u16string in;
    std::string out;
  };
  const row rows[] = {
      {"full_width_digits", u"１２", "\xA3\xB1\xA3\xB2"},
      {"trail_is_caret", u"繼", "\xC0\x5E"},
      {"euro_is_one_byte", u"€", "\x80"},
      {"outside_gbk", u"😀a", "?a"},
      {"nul", std::u16string(u"a\0b", 3), "a?b"},
      // The codec drops a few invisible characters, the byte-order mark among them.
      {"invisible_dropped", u"1\uFEFF\u00AD2", "12"},
  };
  for (const row& r : rows) {
    const QString s = QString::fromUtf16(r.in.data(), static_cast<qsizetype>(r.in.size()));
    EXPECT_EQ(to_gbk(s), r.out) << r.name;
  }
}

TEST(Utf8ToGbkStream, AgreesWithTheCodecOnEveryBasicPlaneCharacter) {
  std::string utf8;
  for (char32_t c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    utf8 += QString::fromUcs4(&c, 1).toStdString();
    utf8 += 'x';  // keeps each character's bytes apart in a failure message
  }
  EXPECT_EQ(stream_convert(utf8, utf8.size()), support::qt::utf8_to_gbk(utf8));
}

TEST(Utf8ToGbkStream, AgreesWithTheCodecOnRandomBytesInAnyChunks) {
  std::mt19937 random(99);
  const unsigned char pieces[] = {'1',  '+',  0x00, 0x80, 0xBF, 0xC2, 0xC3, 0xE0, 0xE4, 0xED,
                                  0xEF, 0xF0, 0xF4, 0xF5, 0xFF, 0xA0, 0x9F, 0x90, 0x8F, 0xBC};
  for (int round = 0; round < 20000; ++round) {
    std::string bytes(random() % 10, ' ');
    for (char& c : bytes) c = static_cast<char>(pieces[random() % sizeof pieces]);
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) continue;  // the stream skips an opening mark
    const std::string expected = collapse_marks(support::qt::utf8_to_gbk(bytes));
    for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{16}}) {
      ASSERT_EQ(collapse_marks(stream_convert(bytes, chunk)), expected) << "round " << round;
    }
  }
}

TEST(Utf16ToGbkStream, AgreesWithTheCodecOnEveryBasicPlaneCharacterAndRandomUnits) {
  std::string units;
  for (char16_t c = 1; c != 0; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    units += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8), 'x', '\0'};
  }
  std::mt19937 random(16);
  const char16_t pieces[] = {u'1', u'\n', 0, 0xD83D, 0xDE00, 0xDBFF, 0xDC00, u'中', u'€', 0xFEFF};
  for (int i = 0; i < 20000; ++i) {
    const char16_t c = pieces[random() % std::size(pieces)];
    units += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  }
  units.push_back('7');  // an odd byte at the end
  GbkCodec codec;
  GbkTable table(codec);
  for (std::size_t chunk : {std::size_t{1}, std::size_t{3}, units.size()}) {
    Utf16ToGbkStream stream(table, false);
    std::string out;
    for (std::size_t i = 0; i < units.size(); i += chunk) {
      out += stream.convert(std::string_view(units).substr(i, chunk));
    }
    EXPECT_EQ(out + stream.finish(), support::qt::utf16_to_gbk(units, false)) << "chunk " << chunk;
  }
}

TEST(Utf8ToGbkStream, SkipsOnlyAnOpeningByteOrderMark) {
  // Inside the text the mark is an invisible character, which the codec drops.
  EXPECT_EQ(stream_convert("\xEF\xBB\xBF"
                           "1\xEF\xBB\xBF"
                           "2",
                           1),
            "12");
  EXPECT_EQ(stream_convert("\xEF\xBB\xBF"
                           "\xEF\xBB\xBF"
                           "\xA3",
                           1),
            "?");
  EXPECT_EQ(stream_convert("\xEF\xBB", 1), "?");
}

}  // namespace
}  // namespace tavrel::app::qt
