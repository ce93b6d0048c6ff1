// SPDX-License-Identifier: MIT
// The system's code page, as the input conversions ask it: one character at a time.
#pragma once

#include <string>

namespace tavrel::app {

// Each front end answers with its platform's own code page: the Qt front end with the toolkit's
// GBK codec, the Windows front end with code page 936.
class CodePage {
 public:
  virtual ~CodePage() = default;

  // Returns the GBK bytes that the code page writes for the basic-plane character c (0x80 or
  // above, no surrogate) standing alone: none (a character it drops), one or two bytes; a
  // character it cannot hold gives "?".
  virtual std::string encode(char16_t c) = 0;
};

}  // namespace tavrel::app
