// SPDX-License-Identifier: MIT
// The window's pictures as the toolkit draws them.
#pragma once

#include <QImage>

#include "app/pictures.h"

namespace tavrel::app::qt {

// Returns the picture as a 16 x 16 image, 32 bits with alpha.
inline QImage picture_image(const Picture& picture) {
  QImage image(kPictureSide, kPictureSide, QImage::Format_ARGB32);
  for (int y = 0; y < kPictureSide; ++y) {
    for (int x = 0; x < kPictureSide; ++x) image.setPixel(x, y, picture[y * kPictureSide + x]);
  }
  return image;
}

}  // namespace tavrel::app::qt
