// SPDX-License-Identifier: MIT
// Whole texts through the toolkit's codecs at once: the plain way that the streaming input
// conversions of the core are checked against, and that benchmarks write their corpora with.
#pragma once

#include <string>
#include <string_view>

#include "text/text.h"

namespace tavrel::support::qt {

// Returns the UTF-8 bytes in GBK; a malformed sequence or a character GBK cannot hold becomes
// "?", and so does U+0000.
text::Text utf8_to_gbk(std::string_view utf8);

// Returns the UTF-16 bytes (after their byte-order mark) in GBK: a surrogate pair, an unpaired
// surrogate, U+0000 and an odd byte at the end each become one "?", and so does a character GBK
// cannot hold.
text::Text utf16_to_gbk(std::string_view bytes, bool big_endian);

// Returns the GBK text as UTF-8 bytes.
std::string gbk_to_utf8(std::string_view gbk);

}  // namespace tavrel::support::qt
