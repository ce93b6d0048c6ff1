// SPDX-License-Identifier: MIT
#include "app/codepage/gbk.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace tavrel::codepage {
namespace {

// A text never holds the byte 0: U+0000 is written as "?" like any character GBK cannot hold.
text::Text without_nul(QByteArray bytes) {
  std::replace(bytes.begin(), bytes.end(), '\0', '?');
  return text::Text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Returns the number of bytes at the end of s that begin a UTF-8 sequence not yet complete.
std::size_t incomplete_tail(std::string_view s) {
  const std::size_t look = std::min<std::size_t>(s.size(), 3);
  for (std::size_t back = 1; back <= look; ++back) {
    const unsigned char c = static_cast<unsigned char>(s[s.size() - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t needed = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return needed > back ? back : 0;
  }
  return 0;
}

bool is_ascii(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

text::Text to_gbk(QStringView s) {
  QStringEncoder encoder("GBK");  // unencodable characters come out as "?"
  return without_nul(encoder.encode(s));
}

text::Text utf8_to_gbk(std::string_view utf8) {
  // A U+FEFF inside the text is a character like any other, not a mark to skip.
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                     QStringConverter::Flag::Stateless);
  const QString unicode =
      decoder.decode(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
  return to_gbk(unicode);
}

QString from_gbk(std::string_view gbk) {
  QStringDecoder decoder("GBK");
  return decoder.decode(QByteArrayView(gbk.data(), static_cast<qsizetype>(gbk.size())));
}

text::Text Utf8ToGbkStream::convert(std::string_view chunk) {
  if (m_at_start) {
    // A byte-order mark opening the input marks the encoding; it is not text.
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    m_pending.append(chunk);
    if (m_pending.size() < kBom.size() && kBom.substr(0, m_pending.size()) == m_pending) return {};
    if (std::string_view(m_pending).substr(0, kBom.size()) == kBom) m_pending.erase(0, kBom.size());
    m_at_start = false;
    chunk = {};
  }
  std::string_view whole = chunk;
  if (!m_pending.empty()) {
    m_pending.append(chunk);
    whole = m_pending;
  }
  const std::size_t keep = incomplete_tail(whole);
  const std::string_view complete = whole.substr(0, whole.size() - keep);
  text::Text out;
  if (is_ascii(complete)) {
    // ASCII is the same in GBK; only U+0000 needs its "?".
    out.assign(complete);
    std::replace(out.begin(), out.end(), '\0', '?');
  } else {
    out = utf8_to_gbk(complete);
  }
  m_pending = std::string(whole.substr(whole.size() - keep));
  return out;
}

text::Text Utf8ToGbkStream::finish() {
  text::Text out = utf8_to_gbk(m_pending);
  m_pending.clear();
  m_at_start = true;
  return out;
}

std::string gbk_to_utf8(std::string_view gbk) {
  const QByteArray utf8 = from_gbk(gbk).toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

}  // namespace tavrel::codepage
