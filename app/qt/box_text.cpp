// SPDX-License-Identifier: MIT
#include "app/qt/box_text.h"

#include <algorithm>

#include "app/qt/code_page.h"

namespace tavrel::app::qt {

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

}  // namespace tavrel::app::qt
