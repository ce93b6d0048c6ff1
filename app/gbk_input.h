// SPDX-License-Identifier: MIT
// Input bytes on their way into the core's GBK texts: UTF-8 converted through the system's code
// page, and GBK bytes made well-formed, each one input arriving in chunks.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "app/code_page.h"
#include "text/text.h"

namespace tavrel::app {

// The GBK bytes of the code points of the basic plane as the code page writes each alone: none,
// one (ASCII, "?" for what GBK cannot hold, 80 for the euro sign) or two. Each is asked of the
// code page on first use.
class GbkTable {
 public:
  explicit GbkTable(CodePage& code_page);

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

  CodePage& m_code_page;
  std::array<std::array<char, 2>, 0x10000> m_bytes{};
  std::array<std::uint8_t, 0x10000> m_size{};
};

// Returns the UTF-8 bytes in GBK: "?" for a malformed sequence, for a character outside the
// basic plane and for U+0000; every other character as the table gives it.
text::Text utf8_to_gbk(std::string_view utf8, GbkTable& table);

// Converts one UTF-8 input arriving in chunks to GBK: a sequence cut by a chunk's end waits for
// the next chunk, and a byte-order mark at the very start is skipped.
class Utf8ToGbkStream {
 public:
  explicit Utf8ToGbkStream(CodePage& code_page) : m_code_page(code_page) {}

  // Returns the GBK bytes of the complete characters that this chunk finishes.
  text::Text convert(std::string_view chunk);

  // Returns the GBK bytes of what is left at the end of the input ("?" for a cut sequence).
  text::Text finish();

  // The table of the conversions, made on first use; the other conversions of a run share it.
  GbkTable& table();

 private:
  CodePage& m_code_page;
  std::string m_pending;
  bool m_at_start = true;
  std::unique_ptr<GbkTable> m_table;  // 192 KB, made when the first chunk arrives
};

// Converts one UTF-16 input arriving in chunks, its byte-order mark already taken, to GBK through
// the table: "?" for a surrogate pair (a character outside the basic plane, as for UTF-8), for an
// unpaired surrogate, for U+0000 and for an odd byte at the end. A code unit or a high surrogate
// cut by a chunk's end waits for the next chunk.
class Utf16ToGbkStream {
 public:
  Utf16ToGbkStream(GbkTable& table, bool big_endian) : m_table(table), m_big_endian(big_endian) {}

  // Returns the GBK bytes of the complete characters that this chunk finishes.
  text::Text convert(std::string_view chunk);

  // Returns the GBK bytes of what is left at the end of the input: "?" for a high surrogate
  // without its partner, "?" for an odd byte.
  text::Text finish();

 private:
  GbkTable& m_table;
  bool m_big_endian;
  std::string m_pending;  // a high surrogate and an odd byte, or less, waiting for the rest
};

// Makes one GBK input arriving in chunks well-formed: a lead byte (81..FE) keeps the byte after
// it only when that is a second byte of the code page (40..7E, 80..FE) and otherwise becomes
// "?", so that a lead byte never takes a line break with it; the byte 0 becomes "?".
class GbkCleanStream {
 public:
  // Returns the clean bytes of the complete characters that this chunk finishes; a lead byte at
  // its end waits for the next chunk.
  text::Text convert(std::string_view chunk);

  // Returns what is left at the end of the input: "?" for a lead byte without its second byte.
  text::Text finish();

 private:
  char m_lead = 0;  // a lead byte waiting for its second byte, or 0
};

}  // namespace tavrel::app
