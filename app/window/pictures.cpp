// SPDX-License-Identifier: MIT
#include "app/window/pictures.h"

#include <array>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace tavrel::window {
namespace {

constexpr int kSide = 16;
using PixelRows = std::array<std::string_view, kSide>;
using Colour = std::pair<char, QRgb>;

// Paints one pixel per character; '.' and any character without a colour stay transparent.
QImage paint(const PixelRows& rows, std::initializer_list<Colour> colours) {
  QImage image(kSide, kSide, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide && x < static_cast<int>(rows[y].size()); ++x) {
      for (const Colour& colour : colours) {
        if (rows[y][x] == colour.first) image.setPixel(x, y, colour.second);
      }
    }
  }
  return image;
}

// '#' panel, 'd' display, 'k' digit keys, 'o' operator keys, 'e' the equals key.
constexpr PixelRows kIconRows = {
    "................",  //
    "..############..",  //
    ".#dddddddddddd#.",  //
    ".#dddddddd#d#d#.",  //
    ".#dddddddddddd#.",  //
    ".##############.",  //
    ".#kk#kk#kk#oo##.",  //
    ".#kk#kk#kk#oo##.",  //
    ".##############.",  //
    ".#kk#kk#kk#oo##.",  //
    ".#kk#kk#kk#oo##.",  //
    ".##############.",  //
    ".#kk#kk#kk#ee##.",  //
    ".#kk#kk#kk#ee##.",  //
    "..############..",  //
    "................",  //
};

// 'a' the arrow, 'k' the points and zeros.
constexpr PixelRows kDecimalsRows = {
    "................",  //
    "................",  //
    "..a.....kkk.....",  //
    ".aa.....k.k.....",  //
    "aaaaa...k.k.....",  //
    ".aa.....k.k.....",  //
    "..a...k.kkk.....",  //
    "................",  //
    "................",  //
    "........kkk.kkk.",  //
    "........k.k.k.k.",  //
    "........k.k.k.k.",  //
    "........k.k.k.k.",  //
    "......k.kkk.kkk.",  //
    "................",  //
    "................",  //
};

}  // namespace

QImage window_icon() {
  return paint(kIconRows, {{'#', qRgb(0x2b, 0x34, 0x40)},
                           {'d', qRgb(0xb8, 0xe0, 0xb0)},
                           {'k', qRgb(0xd4, 0xd8, 0xde)},
                           {'o', qRgb(0xf0, 0x8c, 0x28)},
                           {'e', qRgb(0x3c, 0x8c, 0xe6)}});
}

QImage decimals_symbol() {
  return paint(kDecimalsRows, {{'a', qRgb(0x1e, 0x64, 0xc8)}, {'k', qRgb(0x20, 0x20, 0x20)}});
}

}  // namespace tavrel::window
