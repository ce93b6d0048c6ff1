// SPDX-License-Identifier: MIT
#include "app/gbk_input.h"

#include <algorithm>
#include <cstring>

namespace tavrel::app {
namespace {

constexpr char32_t kMalformed = 0xFFFFFFFF;

struct Decoded {
  char32_t code;     // the code point, or kMalformed
  std::size_t size;  // bytes taken: the sequence, or the malformed part of it (at least 1)
};

// Decodes the UTF-8 sequence at s[i] by the rules of well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF); a malformed sequence ends at its first unfitting byte.
Decoded decode_utf8(std::string_view s, std::size_t i) {
  const unsigned char lead = static_cast<unsigned char>(s[i]);
  std::size_t need = 0;
  char32_t code = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2, code = lead & 0x0F;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3, code = lead & 0x07;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return {kMalformed, 1};
  }
  for (std::size_t n = 1; n <= need; ++n) {
    const unsigned char b = i + n < s.size() ? static_cast<unsigned char>(s[i + n]) : 0;
    if (b < low || b > high) return {kMalformed, n};
    code = code << 6 | (b & 0x3F);
    low = 0x80, high = 0xBF;
  }
  return {code, need + 1};
}

// Reads eight bytes into word; returns true when all of them are ASCII and none is 0.
bool is_plain_ascii(const char* bytes, std::uint64_t& word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  std::memcpy(&word, bytes, 8);
  const bool any_high = (word & kHighs) != 0;
  const bool any_zero = ((word - kOnes) & ~word & kHighs) != 0;
  return !any_high && !any_zero;
}

// Returns the code point of a well-formed three-byte sequence at s[i] (U+0800..U+FFFF without
// the surrogates), or 0 when there is none.
char32_t three_byte_code(std::string_view s, std::size_t i) {
  if (i + 3 > s.size()) return 0;
  const auto b0 = static_cast<unsigned char>(s[i]);
  const auto b1 = static_cast<unsigned char>(s[i + 1]);
  const auto b2 = static_cast<unsigned char>(s[i + 2]);
  // 1110xxxx 10xxxxxx 10xxxxxx, all three bytes checked at once.
  const std::uint32_t sequence = std::uint32_t{b0} << 16 | std::uint32_t{b1} << 8 | b2;
  if ((sequence & 0xF0C0C0) != 0xE08080) return 0;
  const char32_t code = (b0 & 0x0Fu) << 12 | (b1 & 0x3Fu) << 6 | (b2 & 0x3Fu);
  const bool overlong = code < 0x800;
  const bool surrogate = code - 0xD800 < 0x800;
  return overlong || surrogate ? 0 : code;
}

}  // namespace

text::Text utf8_to_gbk(std::string_view utf8, GbkTable& table) {
  // No character takes more bytes in GBK than in UTF-8, so the text is written in place.
  text::Text out(utf8.size(), '\0');
  char* to = out.data();
  const std::size_t n = utf8.size();
  for (std::size_t i = 0; i < n;) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      // A run of ASCII: eight bytes at a time while none is 0, then byte by byte to its end.
      for (std::uint64_t word; i + 8 <= n && is_plain_ascii(utf8.data() + i, word); i += 8) {
        std::memcpy(to, &word, 8);  // the same in GBK
        to += 8;
      }
      for (; i < n && static_cast<unsigned char>(utf8[i]) < 0x80; ++i) {
        *to++ = utf8[i] == '\0' ? '?' : utf8[i];
      }
      continue;
    }
    if (const char32_t code = three_byte_code(utf8, i)) {
      // The common case of Chinese text, decoded without the general rules.
      to = table.write(to, code);
      i += 3;
      continue;
    }
    const Decoded d = decode_utf8(utf8, i);
    if (d.code != kMalformed && d.code < 0x10000) {
      to = table.write(to, d.code);
    } else {
      *to++ = '?';
    }
    i += d.size;
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
  return out;
}

namespace {

// Returns the number of bytes at the end of s that begin a UTF-8 sequence not yet complete.
std::size_t incomplete_tail(std::string_view s) {
  const std::size_t look = std::min<std::size_t>(s.size(), 3);
  for (std::size_t back = 1; back <= look; ++back) {
    const unsigned char c = static_cast<unsigned char>(s[s.size() - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t needed = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return needed > back ? back : 0;
  }
  return 0;
}

bool is_second_byte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}

// Returns whether bytes, at most two, are whole GBK characters: none, one that is no lead byte,
// two that are no lead bytes, or a lead byte and a byte that can follow it.
bool whole_characters(std::string_view bytes) {
  const auto lead = [&bytes](std::size_t i) {
    return text::is_lead_byte(static_cast<unsigned char>(bytes[i]));
  };
  if (bytes.size() < 2) return bytes.empty() || !lead(0);
  return lead(0) ? is_second_byte(static_cast<unsigned char>(bytes[1])) : !lead(1);
}

}  // namespace

GbkTable::GbkTable(CodePage& code_page) : m_code_page(code_page) {}

std::uint32_t GbkTable::learn(char32_t c) {
  const std::lock_guard lock(m_asking);
  if (const std::uint32_t known = m_entries[c].load(std::memory_order_relaxed)) return known;
  const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
  std::string bytes = m_code_page.encode(surrogate ? u'?' : static_cast<char16_t>(c));
  bytes.resize(std::min<std::size_t>(bytes.size(), 2));
  if (!whole_characters(bytes)) bytes.assign(1, '?');
  std::uint32_t entry = kKnown | static_cast<std::uint32_t>(bytes.size()) << 16;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    entry |= std::uint32_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
  }
  m_entries[c].store(entry, std::memory_order_relaxed);
  return entry;
}

text::Text Utf8ToGbkStream::convert(std::string_view chunk) {
  if (m_at_start) {
    // A byte-order mark opening the input marks the encoding; it is not text.
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    m_pending.append(chunk);
    if (m_pending.size() < kBom.size() && kBom.substr(0, m_pending.size()) == m_pending) return {};
    if (std::string_view(m_pending).substr(0, kBom.size()) == kBom) m_pending.erase(0, kBom.size());
    m_at_start = false;
    chunk = {};
  }
  std::string_view whole = chunk;
  if (!m_pending.empty()) {
    m_pending.append(chunk);
    whole = m_pending;
  }
  const std::size_t keep = incomplete_tail(whole);
  const std::string_view complete = whole.substr(0, whole.size() - keep);
  text::Text out = utf8_to_gbk(complete, table());
  m_pending = std::string(whole.substr(whole.size() - keep));
  return out;
}

text::Text Utf8ToGbkStream::finish() {
  text::Text out = utf8_to_gbk(m_pending, table());
  m_pending.clear();
  m_at_start = true;
  return out;
}

GbkTable& Utf8ToGbkStream::table() {
  if (!m_table) m_table = std::make_unique<GbkTable>(m_code_page);
  return *m_table;
}

namespace {

bool is_high_surrogate(char32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool is_low_surrogate(char32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

text::Text Utf16ToGbkStream::convert(std::string_view chunk) {
  std::string_view whole = chunk;
  if (!m_pending.empty()) {
    m_pending.append(chunk);
    whole = m_pending;
  }
  const auto unit_at = [whole, big = m_big_endian](std::size_t i) -> char32_t {
    const auto first = static_cast<unsigned char>(whole[i]);
    const auto second = static_cast<unsigned char>(whole[i + 1]);
    return big ? char32_t{first} << 8 | second : char32_t{second} << 8 | first;
  };
  // Every code unit gives at most two bytes, so the text is written in place.
  text::Text out(whole.size(), '\0');
  char* to = out.data();
  std::size_t i = 0;
  for (; i + 2 <= whole.size(); i += 2) {
    const char32_t u = unit_at(i);
    if (u < 0x80) {
      *to++ = u == 0 ? '?' : static_cast<char>(u);
    } else if (is_high_surrogate(u)) {
      if (i + 4 > whole.size()) break;  // its partner may come with the next chunk
      *to++ = '?';
      if (is_low_surrogate(unit_at(i + 2))) i += 2;  // the pair is one character
    } else if (is_low_surrogate(u)) {
      *to++ = '?';
    } else {
      to = m_table.write(to, u);
    }
  }
  m_pending = std::string(whole.substr(i));
  out.resize(static_cast<std::size_t>(to - out.data()));
  return out;
}

text::Text Utf16ToGbkStream::finish() {
  // Two bytes left are a high surrogate without its partner, one or three end in an odd byte.
  text::Text out(m_pending.size() == 3 ? "??" : m_pending.empty() ? "" : "?");
  m_pending.clear();
  return out;
}

text::Text GbkCleanStream::convert(std::string_view chunk) {
  text::Text out;
  out.reserve(chunk.size() + 1);
  std::size_t i = 0;
  if (m_lead != 0 && !chunk.empty()) {
    const auto b = static_cast<unsigned char>(chunk[0]);
    if (is_second_byte(b)) {
      out.push_back(m_lead);
      out.push_back(chunk[0]);
      i = 1;
    } else {
      out.push_back('?');
    }
    m_lead = 0;
  }
  while (i < chunk.size()) {
    // Runs of ASCII without the byte 0 go across whole.
    std::size_t end = i;
    while (end < chunk.size() && static_cast<unsigned char>(chunk[end] - 1) < 0x7F) ++end;
    out.append(chunk, i, end - i);
    if (end == chunk.size()) break;
    const auto b = static_cast<unsigned char>(chunk[end]);
    i = end + 1;
    if (!text::is_lead_byte(b)) {
      out.push_back(b == 0 ? '?' : chunk[end]);  // 0 is no character; 80 and FF stand alone
    } else if (i == chunk.size()) {
      m_lead = chunk[end];
    } else if (is_second_byte(static_cast<unsigned char>(chunk[i]))) {
      out.append(chunk, end, 2);
      ++i;
    } else {
      out.push_back('?');
    }
  }
  return out;
}

text::Text GbkCleanStream::finish() {
  const bool cut = m_lead != 0;
  m_lead = 0;
  return cut ? text::Text("?") : text::Text();
}

}  // namespace tavrel::app
