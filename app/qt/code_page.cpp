// SPDX-License-Identifier: MIT
#include "app/qt/code_page.h"

#include <QByteArray>
#include <QStringDecoder>
#include <algorithm>

namespace tavrel::app::qt {
namespace {

// A text never holds the byte 0: U+0000 is written as "?" like any character GBK cannot hold.
text::Text without_nul(QByteArray bytes) {
  std::replace(bytes.begin(), bytes.end(), '\0', '?');
  return text::Text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

GbkCodec::GbkCodec() : m_encoder("GBK") {}

std::string GbkCodec::encode(char16_t c) {
  const QChar unit(c);
  const QByteArray bytes = m_encoder.encode(QStringView(&unit, 1));
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

text::Text to_gbk(QStringView s) {
  QStringEncoder encoder("GBK");  // unencodable characters come out as "?"
  return without_nul(encoder.encode(s));
}

QString from_gbk(std::string_view gbk) {
  QStringDecoder decoder("GBK");
  return decoder.decode(QByteArrayView(gbk.data(), static_cast<qsizetype>(gbk.size())));
}

}  // namespace tavrel::app::qt
