// SPDX-License-Identifier: MIT
// The code-page boundary of the Qt front end: the toolkit's Unicode to and from the core's GBK
// texts, through the toolkit's GBK codec.
#pragma once

#include <QString>
#include <QStringEncoder>
#include <QStringView>
#include <string>
#include <string_view>

#include "app/code_page.h"
#include "text/text.h"

namespace tavrel::app::qt {

// The system's code page for the input conversions of the core: the toolkit's GBK codec.
class GbkCodec : public CodePage {
 public:
  GbkCodec();
  std::string encode(char16_t c) override;

 private:
  QStringEncoder m_encoder;
};

// Returns s in GBK; a character that GBK cannot hold, and the character U+0000, become "?".
text::Text to_gbk(QStringView s);

// Returns the GBK text as Unicode; a byte sequence that is not GBK becomes U+FFFD.
QString from_gbk(std::string_view gbk);

}  // namespace tavrel::app::qt
