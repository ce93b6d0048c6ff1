// SPDX-License-Identifier: MIT
#include "app/window/box_text.h"

#include "app/codepage/gbk.h"

namespace tavrel::window {

text::Text core_text(const QString& box_text) {
  // The multi-line boxes give their line breaks as "\n" (toPlainText folds U+2028 and U+2029).
  QString crlf = box_text;
  crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  return codepage::to_gbk(crlf);
}

QString box_text(std::string_view core_text) {
  return codepage::from_gbk(core_text);
}

}  // namespace tavrel::window
