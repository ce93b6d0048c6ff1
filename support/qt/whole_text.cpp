// SPDX-License-Identifier: MIT
#include "support/qt/whole_text.h"

#include <QByteArray>
#include <QStringDecoder>

#include "app/qt/code_page.h"

namespace tavrel::support::qt {

text::Text utf8_to_gbk(std::string_view utf8) {
  // A U+FEFF inside the text is a character like any other, not a mark to skip.
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                     QStringConverter::Flag::Stateless);
  const QString unicode =
      decoder.decode(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
  return app::qt::to_gbk(unicode);
}

text::Text utf16_to_gbk(std::string_view bytes, bool big_endian) {
  QString unicode;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    unicode.append(QChar(big_endian ? first << 8 | second : second << 8 | first));
  }
  // Every surrogate, paired or not, is one "?", the pair as a whole.
  for (qsizetype i = 0; i < unicode.size(); ++i) {
    if (!unicode[i].isSurrogate()) continue;
    const bool pair =
        unicode[i].isHighSurrogate() && i + 1 < unicode.size() && unicode[i + 1].isLowSurrogate();
    unicode.replace(i, pair ? 2 : 1, u'?');
  }
  if (bytes.size() % 2 == 1) unicode.append(u'?');
  return app::qt::to_gbk(unicode);
}

std::string gbk_to_utf8(std::string_view gbk) {
  const QByteArray utf8 = app::qt::from_gbk(gbk).toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

}  // namespace tavrel::support::qt
