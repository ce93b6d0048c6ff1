// SPDX-License-Identifier: MIT
#include "app/qt/fonts.h"

#include <QStringList>

namespace tavrel::app::qt {

void install_font_substitutions() {
  // Debian's fonts-wqy-microhei first, then the Noto CJK face many desktops ship.
  QFont::insertSubstitutions(QString::fromUtf8(kFace), {QStringLiteral("WenQuanYi Micro Hei"),
                                                        QStringLiteral("Noto Sans CJK SC")});
}

QFont control_font(int pixel_size) {
  QFont font(QString::fromUtf8(kFace));
  font.setPixelSize(pixel_size);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStyleStrategy(QFont::PreferQuality);
  return font;
}

}  // namespace tavrel::app::qt
