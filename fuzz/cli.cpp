// SPDX-License-Identifier: MIT
// The whole run as tavrel-cli drives it: any bytes, any decimals text, either encoding, cut into
// chunks anywhere, UTF-16 after its byte-order mark too; every result line is "expression=value",
// the chunking and the worker threads change nothing, and the streaming run equals the whole text
// converted by the codec and split at once.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/decimals.h"
#include "app/filter.h"
#include "app/qt/code_page.h"
#include "app/result_line.h"
#include "support/qt/whole_text.h"
#include "text/text.h"

namespace {

using tavrel::app::Encoding;
using tavrel::app::filter_text;

// Returns the GBK bytes with every lead byte that lacks a second byte, and every 0, made "?".
std::string clean_gbk(std::string_view input) {
  const auto second = [](unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
  };
  std::string gbk;
  for (std::size_t i = 0; i < input.size(); ++i) {
    const auto b = static_cast<unsigned char>(input[i]);
    if (b >= 0x81 && b <= 0xFE) {
      if (i + 1 < input.size() && second(static_cast<unsigned char>(input[i + 1]))) {
        gbk += input.substr(i++, 2);
      } else {
        gbk += '?';
      }
    } else {
      gbk += b == 0 ? '?' : input[i];
    }
  }
  return gbk;
}

// The same run the slow and plain way: the whole input converted by the codec at once, LF made
// CR LF, split as the input box's text, and every line computed.
std::string reference(Encoding encoding, std::string_view decimals, std::string_view input) {
  std::string gbk;
  const std::string_view mark = input.substr(0, 2);
  if (mark == "\xFF\xFE" || mark == "\xFE\xFF") {
    // The byte-order mark of UTF-16 names the encoding, whatever the option.
    gbk = tavrel::support::qt::utf16_to_gbk(input.substr(2), mark == "\xFE\xFF");
  } else if (encoding == Encoding::gbk) {
    gbk = clean_gbk(input);
  } else {
    if (input.substr(0, 3) == "\xEF\xBB\xBF") input.remove_prefix(3);
    gbk = tavrel::support::qt::utf8_to_gbk(input);
  }
  std::string box;
  for (std::size_t i = 0; i < gbk.size(); ++i) {
    if (gbk[i] == '\n' && (i == 0 || gbk[i - 1] != '\r')) box.push_back('\r');
    box.push_back(gbk[i]);
  }
  tavrel::eval::ScriptComponent script;
  const tavrel::app::DecimalCount count =
      tavrel::app::decimal_count(tavrel::app::tidy_decimals(decimals));
  std::string out;
  for (const tavrel::text::Text& line : tavrel::text::split_lines(box, "\r\n")) {
    std::string result = tavrel::app::result_line(line, count, script);
    result.resize(result.size() - 2);
    out += result + "\n";
  }
  return out;
}

void check_lines(std::string_view out) {
  for (std::size_t start = 0; start < out.size();) {
    const std::size_t end = out.find('\n', start);
    const std::string_view line = out.substr(start, end - start);
    if (end == std::string_view::npos || line.find('=') == std::string_view::npos) {
      std::fputs("a result line without \"=\" or without its line end\n", stderr);
      std::abort();
    }
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const Encoding encoding = data[0] & 1 ? Encoding::gbk : Encoding::utf8;
  const std::size_t decimals_size = std::min<std::size_t>(data[1] % 16, size - 2);
  const std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::string_view decimals = rest.substr(0, decimals_size);
  const std::string_view input = rest.substr(decimals_size);
  static tavrel::app::qt::GbkCodec codec;
  const std::string whole = filter_text(encoding, decimals, input, input.size() + 1, codec);
  check_lines(whole);
  if (filter_text(encoding, decimals, input, 1 + data[0] % 7, codec) != whole) {
    std::fputs("the result depends on how the input is cut into chunks\n", stderr);
    std::abort();
  }
  if (filter_text(encoding, decimals, input, 1 + data[0] % 61, codec, 2) != whole) {
    std::fputs("the workers' result differs from this thread's\n", stderr);
    std::abort();
  }
  if (reference(encoding, decimals, input) != whole) {
    std::fputs("the streaming run differs from the whole-text run\n", stderr);
    std::abort();
  }
  return 0;
}
