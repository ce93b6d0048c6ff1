// SPDX-License-Identifier: MIT
#include "app/win32/code_page.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace tavrel::app::win32 {
namespace {

constexpr UINT kGbk = 936;

// The conversions work on ints; longer texts go in pieces that end on a character.
constexpr std::size_t kPiece = std::size_t{1} << 28;

void append_gbk(text::Text& out, std::wstring_view s) {
  if (s.empty()) return;
  const int n = WideCharToMultiByte(kGbk, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                    nullptr, nullptr);
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(std::max(n, 0)));
  WideCharToMultiByte(kGbk, 0, s.data(), static_cast<int>(s.size()), out.data() + at, n, nullptr,
                      nullptr);
}

void append_wide(std::wstring& out, std::string_view gbk) {
  if (gbk.empty()) return;
  const int n = MultiByteToWideChar(kGbk, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(std::max(n, 0)));
  MultiByteToWideChar(kGbk, 0, gbk.data(), static_cast<int>(gbk.size()), out.data() + at, n);
}

}  // namespace

std::string Cp936::encode(char16_t c) {
  const wchar_t unit = static_cast<wchar_t>(c);
  char bytes[4] = {};
  const int n = WideCharToMultiByte(kGbk, 0, &unit, 1, bytes, sizeof bytes, nullptr, nullptr);
  return std::string(bytes, static_cast<std::size_t>(std::max(n, 0)));
}

text::Text to_gbk(std::wstring_view s) {
  text::Text out;
  out.reserve(s.size() * 2);
  while (!s.empty()) {
    std::size_t n = std::min(s.size(), kPiece);
    if (n < s.size() && s[n - 1] >= 0xD800 && s[n - 1] <= 0xDBFF) --n;  // keep a pair whole
    append_gbk(out, s.substr(0, n));
    s.remove_prefix(n);
  }
  std::replace(out.begin(), out.end(), '\0', '?');
  return out;
}

std::wstring from_gbk(std::string_view gbk) {
  std::wstring out;
  out.reserve(gbk.size());
  while (!gbk.empty()) {
    std::size_t n = std::min(gbk.size(), kPiece);
    // Cut after a byte that ends a character: step back over an unfinished lead byte.
    if (n < gbk.size()) {
      std::size_t i = 0;
      while (i < n) i += text::char_size(gbk.substr(0, n), i);
      if (i > n) n = i - 2;
    }
    append_wide(out, gbk.substr(0, n));
    gbk.remove_prefix(n);
  }
  return out;
}

}  // namespace tavrel::app::win32
