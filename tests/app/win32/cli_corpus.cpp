// SPDX-License-Identifier: MIT
// tavrel_cli_corpus DIR: writes the corpus on which tavrel-cli.exe is compared with the Linux
// tavrel-cli: a few thousand lines of free text (ASCII, full-width, Chinese, euro signs, spaces of
// both widths) with malformed bytes among them, as mixed.utf8.txt, mixed.gbk.txt and
// mixed.utf16le.txt (with its byte-order mark, as PowerShell writes). The same seed gives the
// same files.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "app/win32/code_page.h"

namespace tavrel::app::win32 {
namespace {

enum class Form { utf8, gbk, utf16le };

constexpr int kLines = 4000;

std::string utf8_of(std::wstring_view s) {
  if (s.empty()) return {};
  const int size = static_cast<int>(s.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::string encode(std::wstring_view text, Form form) {
  switch (form) {
    case Form::utf8:
      return utf8_of(text);
    case Form::gbk:
      return to_gbk(text);
    case Form::utf16le:
      break;
  }
  std::string out;
  for (const wchar_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

// Returns bytes that are not well-formed in the form: cut and stray sequences, lone lead bytes,
// unpaired surrogates, NUL.
std::string malformed(Form form, std::mt19937& random) {
  static constexpr std::string_view kUtf8[] = {
      "\xC3", "\xFF", "\x80", "\xE4\xB8", "\xED\xA0\x80", "\xC0\xAF", {"\0", 1}, "\xF0\x9F\x98"};
  static constexpr std::string_view kGbk[] = {"\x81",    "\xFF", "\x81\x7F", "\xFE",
                                              {"\0", 1}, "\xA3", "\x80\x80"};
  static constexpr std::string_view kUtf16[] = {
      "\x3D\xD8", "\x00\xDE", "\x3D\xD8\x3D\xD8\x00\xDE", {"\0\0", 2}, "\xFF\xFE"};
  switch (form) {
    case Form::utf8:
      return std::string(kUtf8[random() % std::size(kUtf8)]);
    case Form::gbk:
      return std::string(kGbk[random() % std::size(kGbk)]);
    case Form::utf16le:
      break;
  }
  return std::string(kUtf16[random() % std::size(kUtf16)]);
}

// Returns one piece of free text: a number, an operator, a word, in either width.
std::wstring free_text(std::mt19937& random) {
  static constexpr std::wstring_view kPieces[] = {
      L"+",    L"-",      L"*",    L"/",  L"(",  L")",  L".",  L"^",    L" ",    L"=",
      L"x",    L"apples", L"＋",   L"－", L"＊", L"／", L"（", L"）",   L"．",   L"　",
      L"苹果", L"个",     L"每个", L"元", L"共", L"件", L"€",  L"100€", L"１２", L"😀"};
  switch (random() % 4) {
    case 0:
      return std::to_wstring(random() % 1000);
    case 1:
      return std::to_wstring(random() % 100) + L"." + std::to_wstring(random() % 100);
    case 2:
      return std::wstring(1, static_cast<wchar_t>(0x4E00 + random() % (0x9FA5 - 0x4E00)));
    default:
      return std::wstring(kPieces[random() % std::size(kPieces)]);
  }
}

std::string corpus(Form form) {
  std::mt19937 random(2024);
  std::string out = form == Form::utf16le ? "\xFF\xFE" : "";
  for (int line = 0; line < kLines; ++line) {
    const int pieces = static_cast<int>(random() % 14);
    for (int i = 0; i < pieces; ++i) {
      out += random() % 12 == 0 ? malformed(form, random) : encode(free_text(random), form);
    }
    out += encode(random() % 3 == 0 ? L"\r\n" : random() % 20 == 0 ? L"\r" : L"\n", form);
  }
  // The last line without a line end, and for UTF-16 an odd byte after it.
  out += encode(L"1/3", form);
  if (form == Form::utf16le) out.push_back('7');
  return out;
}

}  // namespace
}  // namespace tavrel::app::win32

int main(int argc, char** argv) {
  using tavrel::app::win32::Form;
  if (argc != 2) {
    std::fputs("usage: tavrel_cli_corpus DIR\n", stderr);
    return 2;
  }
  const std::string dir = argv[1];
  const std::pair<const char*, Form> files[] = {{"mixed.utf8.txt", Form::utf8},
                                                {"mixed.gbk.txt", Form::gbk},
                                                {"mixed.utf16le.txt", Form::utf16le}};
  for (const auto& [name, form] : files) {
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out << tavrel::app::win32::corpus(form);
    if (!out.flush()) {
      std::fprintf(stderr, "tavrel_cli_corpus: cannot write %s/%s\n", dir.c_str(), name);
      return 1;
    }
  }
  return 0;
}
