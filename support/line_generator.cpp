// SPDX-License-Identifier: MIT
#include "support/line_generator.h"

#include <cstdio>

namespace tavrel::support::lines {

std::uint64_t line_generator::next_random() {
  // splitmix64: the same sequence on every platform and standard library.
  std::uint64_t z = (m_state += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

std::uint64_t line_generator::below(std::uint64_t bound) {
  return next_random() % bound;
}

std::string_view line_generator::pick(std::initializer_list<std::string_view> choices) {
  return choices.begin()[below(choices.size())];
}

void line_generator::append_number(text::Text& line) {
  const bool full_width = below(3) == 0;
  const auto digit = [&] {
    const auto d = static_cast<char>(below(10));
    if (full_width) {
      line += '\xA3';
      line += static_cast<char>(0xB0 + d);  // A3 B0..A3 B9: full-width digits
    } else {
      line += static_cast<char>('0' + d);
    }
  };
  if (below(5) == 0) line += pick({"0", "00", "\xA3\xB0"});  // leading zeros
  for (std::uint64_t n = 1 + below(4); n > 0; --n) digit();
  if (below(3) == 0) {
    line += pick({".", ".", "\xA3\xAE", "\xA1\xA3", ".."});  // . ． 。 and a doubled point
    for (std::uint64_t n = below(3); n > 0; --n) digit();
  }
}

void line_generator::append_piece(text::Text& line) {
  switch (below(16)) {
    case 0:
    case 1:
    case 2:
    case 3:
      append_number(line);
      break;
    case 4:
    case 5:
      // + - * / ^ in both widths, ★ ☆ × ÷
      line += pick({"+", "-", "*", "/", "^", "\xA3\xAB", "\xA3\xAD", "\xA3\xAA", "\xA3\xAF",
                    "\xA3\xDE", "\xA1\xEF", "\xA1\xEE", "\xA1\xC1", "\xA1\xC2"});
      break;
    case 6:
      for (std::uint64_t n = 2 + below(3); n > 0; --n) line += pick({"+", "-", "*", "/", "^"});
      break;
    case 7:
      line += pick({".", "..", "...", "\xA3\xAE", "\xA1\xA3", ".5", "5."});
      break;
    case 8:
    case 9:
      line += pick({"(", ")", "(", ")", "\xA3\xA8", "\xA3\xA9", "((", "))", ")("});
      break;
    case 10:
    case 11:
      // 苹果 元 个 共计 每 件 加 公斤 总价, and 繼 whose second byte is "^"
      line += pick({"\xC6\xBB\xB9\xFB", "\xD4\xAA", "\xB8\xF6", "\xB9\xB2\xBC\xC6", "\xC3\xBF",
                    "\xBC\xFE", "\xBC\xD3", "\xB9\xAB\xBD\xEF", "\xD7\xDC\xBC\xDB", "\xC0\x5E"});
      break;
    case 12:
      line += pick({" ", " ", "\t", "\xA1\xA1", "  "});  // blanks, tab, ideographic space
      break;
    case 13:
      // ＝ ： ， ａ and ASCII words and punctuation
      line += pick({"=", ",", ":", "#", "x", "kg", "apples", "\xA3\xBD", "\xA3\xBA", "\xA3\xAC",
                    "\xA3\xE1", "1,000"});
      break;
    case 14:
      if (below(2) == 0) {
        // Any full-width form A3 A1..A3 FE: it folds to a byte of 21..7E.
        line += '\xA3';
        line += static_cast<char>(0xA1 + below(0x5E));
      } else {
        // Any two-byte character: its second byte may be "^".
        line += static_cast<char>(0x81 + below(0x7E));
        line += static_cast<char>(0x40 + below(0xBF));
      }
      break;
    default:
      // A byte of 0x80 or above followed by a formula byte: after a lead byte (81..FE) the pair
      // goes as one character; after 80 (the euro sign) or FF the formula byte stays.
      line += static_cast<char>(0x80 + below(0x80));
      line += pick({"1", "(", ")", "+", ".", "^", "0"});
      break;
  }
}

text::Text line_generator::next() {
  text::Text line;
  const std::uint64_t pieces = below(100) == 0 ? 40 + below(80) : below(20);
  for (std::uint64_t n = pieces; n > 0; --n) append_piece(line);
  if (below(40) == 0) line += static_cast<char>(0x81 + below(0x7E));  // a lone lead byte at the end
  return line;
}

namespace {

void extend(std::string& prefix, int count, const std::function<void(std::string_view)>& visit) {
  visit(prefix);
  if (count == 0) return;
  for (std::string_view symbol : kSymbols) {
    prefix.append(symbol);
    extend(prefix, count - 1, visit);
    prefix.resize(prefix.size() - symbol.size());
  }
}

}  // namespace

void for_each_extension(std::string prefix, int count,
                        const std::function<void(std::string_view)>& visit) {
  extend(prefix, count, visit);
}

std::string escaped(std::string_view t) {
  std::string out;
  for (char c : t) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F) {
      out += c;
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
    }
  }
  return out;
}

}  // namespace tavrel::support::lines
