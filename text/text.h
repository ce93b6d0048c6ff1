// SPDX-License-Identifier: MIT
// Text values and the operations the rest of the system performs on them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel::text {

// A text: bytes of the GBK code page, never the byte 0. The empty string is the one value for a
// missing text. Positions are 1-based byte positions; positions, counts and lengths are 32-bit.
using Text = std::string;
using TextList = std::vector<Text>;

// Returns true when the byte begins a two-byte character: the code page's lead bytes 81..FE.
// 80 (the euro sign) and FF are characters of one byte.
inline constexpr bool is_lead_byte(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}

// Returns the number of bytes of the character that starts at the 0-based index i: two when the
// byte is a lead byte and is not the last byte of t, otherwise one (the character step).
inline std::size_t char_size(std::string_view t, std::size_t i) {
  return is_lead_byte(static_cast<unsigned char>(t[i])) && i + 1 < t.size() ? 2 : 1;
}

// Returns true when the byte at the 0-based index i is a lead byte standing last in t.
inline bool is_lone_lead(std::string_view t, std::size_t i) {
  return i + 1 == t.size() && is_lead_byte(static_cast<unsigned char>(t[i]));
}

// Returns true for the digits "0" to "9".
inline constexpr bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Returns true for the blank and the control characters TAB, LF, VT, FF and CR: the white space
// that a number's text may start with.
inline constexpr bool is_white_space(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Returns the length of the longest start of t that has at most limit bytes and does not end in
// the middle of a two-byte character (by the character step).
std::size_t whole_characters(std::string_view t, std::size_t limit);

// Returns the number of bytes of t.
std::int32_t length(std::string_view t);

// Returns the first n bytes of t (all of t when n is larger; nothing when n <= 0).
Text left(std::string_view t, std::int32_t n);

// Returns the last n bytes of t (all of t when n is larger; nothing when n <= 0).
Text right(std::string_view t, std::int32_t n);

// Returns n bytes of t from position p, or the empty text when p lies outside t or n <= 0.
Text middle(std::string_view t, std::int32_t p, std::int32_t n);

// Returns the position of the first occurrence of s in t at a character boundary, or -1.
// An empty s gives 1 in a non-empty t and -1 in the empty text.
std::int32_t find(std::string_view t, std::string_view s);

// Returns the position of the last occurrence of s in t at a character boundary, or -1.
// An empty s gives 1 in a non-empty t (not the length) and -1 in the empty text.
std::int32_t find_last(std::string_view t, std::string_view s);

// Returns t with n bytes from position p removed (p and n clamped into t).
Text replace_at(std::string_view t, std::int32_t p, std::int32_t n);

// Returns t with n bytes from position p replaced by r (p and n clamped into t).
Text replace_at(std::string_view t, std::int32_t p, std::int32_t n, std::string_view r);

// Returns t with every occurrence of s, left to right and without overlap, replaced by r.
Text replace_all(std::string_view t, std::string_view s, std::string_view r);

// Returns the texts joined in order.
Text concat(std::initializer_list<std::string_view> parts);

template <typename... Parts>
Text concat(const Parts&... parts) {
  return concat({std::string_view(parts)...});
}

// Returns -1, 0 or 1 as a is less than, equal to or greater than b, comparing unsigned bytes.
int compare(std::string_view a, std::string_view b);

// Returns the pieces of t between separators; a separator at the very end gives no empty piece.
TextList split_lines(std::string_view t, std::string_view separator);

}  // namespace tavrel::text
