// SPDX-License-Identifier: MIT
#include "app/pictures.h"

#include <array>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace tavrel::app {
namespace {

using PixelRows = std::array<std::string_view, kPictureSide>;
using Colour = std::pair<char, std::uint32_t>;

constexpr std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return 0xFF000000u | r << 16 | g << 8 | b;
}

// Paints one pixel per character; '.' and any character without a colour stay transparent.
Picture paint(const PixelRows& rows, std::initializer_list<Colour> colours) {
  Picture picture{};
  for (int y = 0; y < kPictureSide; ++y) {
    for (int x = 0; x < kPictureSide && x < static_cast<int>(rows[y].size()); ++x) {
      for (const Colour& colour : colours) {
        if (rows[y][x] == colour.first) picture[y * kPictureSide + x] = colour.second;
      }
    }
  }
  return picture;
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

Picture window_icon() {
  return paint(kIconRows, {{'#', rgb(0x2b, 0x34, 0x40)},
                           {'d', rgb(0xb8, 0xe0, 0xb0)},
                           {'k', rgb(0xd4, 0xd8, 0xde)},
                           {'o', rgb(0xf0, 0x8c, 0x28)},
                           {'e', rgb(0x3c, 0x8c, 0xe6)}});
}

Picture decimals_symbol() {
  return paint(kDecimalsRows, {{'a', rgb(0x1e, 0x64, 0xc8)}, {'k', rgb(0x20, 0x20, 0x20)}});
}

}  // namespace tavrel::app
