// SPDX-License-Identifier: MIT
// The code-page boundary of the Windows front end: UTF-16 of the system to and from the core's
// GBK texts, through code page 936.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "app/code_page.h"
#include "text/text.h"

namespace tavrel::app::win32 {

// The system's code page for the input conversions of the core: code page 936.
class Cp936 : public CodePage {
 public:
  std::string encode(char16_t c) override;
};

// The conversions of the system take an int for a length: longer texts go in pieces of at most
// this many units, each ending on a character.
inline constexpr std::size_t kConversionPiece = std::size_t{1} << 28;

// Returns s in GBK; a character that code page 936 cannot hold, one outside the basic plane (a
// surrogate pair), an unpaired surrogate and U+0000 each become one "?". piece is for the tests.
text::Text to_gbk(std::wstring_view s, std::size_t piece = kConversionPiece);

// Returns the GBK text as UTF-16; a byte sequence that is not GBK becomes what code page 936
// makes of it (U+30FB or U+FFFD, as the system decides). piece (at least 2) is for the tests.
std::wstring from_gbk(std::string_view gbk, std::size_t piece = kConversionPiece);

}  // namespace tavrel::app::win32
