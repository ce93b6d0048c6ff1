// SPDX-License-Identifier: MIT
// Build tool: writes the window icon as a PNG, enlarged by a whole factor, for installing.
// Usage: tavrel-make-icon <out.png> <factor>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "app/qt/picture_image.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <out.png> <factor>\n", argv[0]);
    return 2;
  }
  const int factor = std::atoi(argv[2]);
  if (factor < 1 || factor > 64) {
    std::fprintf(stderr, "%s: the factor must lie between 1 and 64\n", argv[0]);
    return 2;
  }
  const QImage icon = tavrel::app::qt::picture_image(tavrel::app::window_icon());
  const QImage enlarged = icon.scaled(icon.size() * factor, Qt::IgnoreAspectRatio,
                                      Qt::FastTransformation);  // keeps the pixels sharp
  if (!enlarged.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
