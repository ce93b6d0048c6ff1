// SPDX-License-Identifier: MIT
// The code-page boundary of the Windows front end: UTF-16 of the system to and from the core's
// GBK texts, through code page 936.
#pragma once

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

// Returns s in GBK; a character that code page 936 cannot hold, and U+0000, become "?".
text::Text to_gbk(std::wstring_view s);

// Returns the GBK text as UTF-16; a byte sequence that is not GBK becomes what code page 936
// makes of it (U+30FB or U+FFFD, as the system decides).
std::wstring from_gbk(std::string_view gbk);

}  // namespace tavrel::app::win32
