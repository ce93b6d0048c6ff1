// SPDX-License-Identifier: MIT
#include "app/win32/code_page.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace tavrel::app::win32 {
namespace {

constexpr UINT kGbk = 936;

bool is_surrogate(wchar_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}
bool is_high_surrogate(wchar_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool is_low_surrogate(wchar_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

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

text::Text to_gbk(std::wstring_view s, std::size_t piece) {
  text::Text out;
  out.reserve(s.size() * 2);
  while (!s.empty()) {
    // A run of basic-plane characters goes to the system; a surrogate pair or an unpaired
    // surrogate is one "?" here, since systems differ on it (Wine writes a pair as "??").
    std::size_t n = 0;
    while (n < s.size() && n < piece && !is_surrogate(s[n])) ++n;
    if (n > 0) {
      append_gbk(out, s.substr(0, n));
    } else {
      out.push_back('?');
      n = is_high_surrogate(s[0]) && s.size() > 1 && is_low_surrogate(s[1]) ? 2 : 1;
    }
    s.remove_prefix(n);
  }
  std::replace(out.begin(), out.end(), '\0', '?');
  return out;
}

std::wstring from_gbk(std::string_view gbk, std::size_t piece) {
  std::wstring out;
  out.reserve(gbk.size());
  while (!gbk.empty()) {
    // Each piece ends on a character: a lead byte whose second byte lies beyond the cut goes
    // with the next piece.
    std::size_t n = std::min(gbk.size(), piece);
    if (n < gbk.size()) {
      const std::size_t whole = text::whole_characters(gbk, n);
      n = whole > 0 ? whole : text::char_size(gbk, 0);  // a piece of at least one character
    }
    append_wide(out, gbk.substr(0, n));
    gbk.remove_prefix(n);
  }
  return out;
}

}  // namespace tavrel::app::win32
