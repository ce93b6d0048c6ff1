// SPDX-License-Identifier: MIT
// Input bytes on their way into the core's GBK texts: UTF-8 converted through the system's code
// page, and GBK bytes made well-formed, each one input arriving in chunks.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "app/code_page.h"
#include "text/text.h"

namespace tavrel::app {

// The GBK bytes of the code points of the basic plane as the code page writes each alone: none,
// one (ASCII, "?" for what GBK cannot hold, 80 for the euro sign) or two. Each is asked of the
// code page on first use. Bytes that are no whole GBK characters (a lead byte alone, or one
// with a byte that cannot follow it) count as a character the code page cannot hold, "?": so a
// converted text is always well-formed, and its line breaks are those of the input. The
// threads of one run share a table: an entry is one atomic word, and the code page is asked by
// one thread at a time.
class GbkTable {
 public:
  explicit GbkTable(CodePage& code_page);

  // Writes the GBK bytes of the basic-plane code point c (0x80 or above) at to; returns the end.
  // Both bytes are stored whatever the size: the caller has room for two, since c came from a
  // UTF-8 sequence of at least two bytes.
  char* write(char* to, char32_t c) {
    std::uint32_t entry = m_entries[c].load(std::memory_order_relaxed);
    if (entry == 0) entry = learn(c);
    to[0] = static_cast<char>(entry);
    to[1] = static_cast<char>(entry >> 8);
    return to + (entry >> 16 & 3);
  }

 private:
  // An entry: the first byte, the second byte, the size, and kKnown; 0 for one not yet asked.
  static constexpr std::uint32_t kKnown = 1u << 24;
  std::uint32_t learn(char32_t c);

  CodePage& m_code_page;
  std::mutex m_asking;
  std::array<std::atomic<std::uint32_t>, 0x10000> m_entries{};
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
  std::unique_ptr<GbkTable> m_table;  // 256 KB, made on first use
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
