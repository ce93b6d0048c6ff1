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

}  // namespace tavrel::codepage
