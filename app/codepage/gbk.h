// SPDX-License-Identifier: MIT
// The code-page boundary: Unicode text of the toolkit to and from GBK texts of the core.
#pragma once

#include <QString>
#include <QStringEncoder>
#include <QStringView>
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "text/text.h"

namespace tavrel::codepage {

// Returns s in GBK; a character that GBK cannot hold, and the character U+0000, become "?".
text::Text to_gbk(QStringView s);

// Returns the UTF-8 bytes in GBK; a malformed sequence or a character GBK cannot hold becomes "?".
text::Text utf8_to_gbk(std::string_view utf8);

// Returns the GBK text as Unicode; a byte sequence that is not GBK becomes U+FFFD.
QString from_gbk(std::string_view gbk);

// Returns the GBK text as UTF-8 bytes.
std::string gbk_to_utf8(std::string_view gbk);

// The GBK bytes of the code points of the basic plane, as the codec writes each alone: none (the
// codec drops a few invisible characters), one (ASCII, "?" for what GBK cannot hold, 80 for the
// euro sign, FF for one private-use character) or two. Each is asked of the codec on first use.
class GbkTable {
 public:
  GbkTable();
  ~GbkTable();

  // Writes the GBK bytes of the basic-plane code point c (0x80 or above) at to; returns the end.
  // Both bytes are stored whatever the size: the caller has room for two, since c came from a
  // UTF-8 sequence of at least two bytes.
  char* write(char* to, char32_t c) {
    if (m_size[c] == kUnknown) learn(c);
    to[0] = m_bytes[c][0];
    to[1] = m_bytes[c][1];
    return to + m_size[c];
  }

 private:
  static constexpr std::uint8_t kUnknown = 3;
  void learn(char32_t c);

  std::unique_ptr<QStringEncoder> m_encoder;
  std::array<std::array<char, 2>, 0x10000> m_bytes{};
  std::array<std::uint8_t, 0x10000> m_size{};
};

// Converts one UTF-8 input arriving in chunks to GBK: a sequence cut by a chunk's end waits for
// the next chunk, and a byte-order mark at the very start is skipped.
class Utf8ToGbkStream {
 public:
  // Returns the GBK bytes of the complete characters that this chunk finishes.
  text::Text convert(std::string_view chunk);

  // Returns the GBK bytes of what is left at the end of the input ("?" for a cut sequence).
  text::Text finish();

 private:
  std::string m_pending;
  bool m_at_start = true;
  std::unique_ptr<GbkTable> m_table;
};

}  // namespace tavrel::codepage
