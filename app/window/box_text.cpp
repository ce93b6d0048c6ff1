// SPDX-License-Identifier: MIT
#include "app/window/box_text.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

#include "app/qt/code_page.h"
#include "app/window/edit_boxes.h"

namespace tavrel::window {

text::Text core_text(const QString& box_text) {
  // The multi-line boxes give their line breaks as "\n" (toPlainText folds U+2028 and U+2029).
  // GBK writes "\n" as the byte LF, and no byte of a two-byte character is LF, so each LF byte
  // of the GBK text becomes CR LF there, as it would have from "\r\n" in the box's text.
  const text::Text lf = app::qt::to_gbk(box_text);
  const auto breaks = static_cast<std::size_t>(std::count(lf.begin(), lf.end(), '\n'));
  if (breaks == 0) return lf;
  text::Text crlf;
  crlf.reserve(lf.size() + breaks);
  std::size_t start = 0;
  for (std::size_t at = lf.find('\n'); at != text::Text::npos; at = lf.find('\n', start)) {
    crlf.append(lf, start, at - start).append("\r\n");
    start = at + 1;
  }
  crlf.append(lf, start);
  return crlf;
}

QString box_text(std::string_view core_text) {
  return app::qt::from_gbk(core_text);
}

QString raw_blocks(const QTextDocument& document, std::size_t first, std::size_t end) {
  const auto count = static_cast<std::size_t>(document.blockCount());
  end = std::min(end, count);
  if (first >= end) return {};
  const QTextBlock from = document.findBlockByNumber(static_cast<int>(first));
  // A long stretch is cheaper to cut out of the whole text than to collect block by block.
  if ((end - first) * 4 > count) {
    QString all = document.toRawText();
    const int start = from.position();
    if (end == count) return start == 0 ? all : all.mid(start);
    return all.mid(start, document.findBlockByNumber(static_cast<int>(end)).position() - start);
  }
  QString raw;
  std::size_t i = first;
  for (QTextBlock block = from; block.isValid() && i < end; block = block.next(), ++i) {
    raw += block.text();
    if (i + 1 < count) raw += QChar(QChar::ParagraphSeparator);
  }
  return raw;
}

BlockText block_text(const QTextDocument& document, std::size_t first, std::size_t end) {
  QString raw = raw_blocks(document, first, end);
  BlockText stretch;
  std::uint32_t pieces = 1;
  qsizetype length = 0;
  // The same characters that the document's toPlainText turns into line breaks and blanks.
  for (QChar& c : raw) {
    switch (c.unicode()) {
      case QChar::ParagraphSeparator:
        c = QLatin1Char('\n');
        stretch.pieces.push_back(pieces);
        stretch.long_text.push_back(length > PlainBox::kLongBlock);
        pieces = 1;
        length = 0;
        continue;
      case QChar::LineSeparator:
      case 0xFDD0:  // beginning of a frame
      case 0xFDD1:  // end of a frame
        c = QLatin1Char('\n');
        ++pieces;
        break;
      case QChar::Nbsp:
        c = QLatin1Char(' ');
        break;
      default:
        break;
    }
    ++length;
  }
  if (end >= static_cast<std::size_t>(document.blockCount()) && first < end) {
    stretch.pieces.push_back(pieces);
    stretch.long_text.push_back(length > PlainBox::kLongBlock);
  }
  stretch.bytes = core_text(raw);
  return stretch;
}

}  // namespace tavrel::window
