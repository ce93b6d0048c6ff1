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

std::string gbk_to_utf8(std::string_view gbk) {
  const QByteArray utf8 = app::qt::from_gbk(gbk).toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

}  // namespace tavrel::support::qt
