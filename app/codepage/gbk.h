// SPDX-License-Identifier: MIT
// The code-page boundary: Unicode text of the toolkit to and from GBK texts of the core.
#pragma once

#include <QString>
#include <QStringView>
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
};

}  // namespace tavrel::codepage
