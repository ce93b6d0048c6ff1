// SPDX-License-Identifier: MIT
// Any bytes and any count: to_number and to_integer read them, format_number writes at most 199
// bytes, never "nan", and what it writes without a count reads back to 13 significant digits.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "eval/format_number.h"
#include "eval/to_number.h"

namespace {

void check(bool ok, const char* what, double x) {
  if (!ok) {
    std::fprintf(stderr, "%s (x = %.17g)\n", what, x);
    std::abort();
  }
}

double rounded_to_13_digits(double x) {
  char text[40];
  std::snprintf(text, sizeof text, "%.12e", x);
  return std::strtod(text, nullptr);
}

void check_written(const tavrel::text::Text& written, double x) {
  check(!written.empty() && written.size() <= 199, "at most 199 bytes", x);
  check(written.find("nan") == std::string::npos && written.find("inf") == std::string::npos,
        "never nan or inf", x);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::int32_t count = 0;
  if (size >= 4) std::memcpy(&count, data, 4);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double x = tavrel::eval::to_number(text);
  (void)tavrel::eval::to_integer(text);
  double raw = 0;
  if (size >= 12) std::memcpy(&raw, data + 4, sizeof raw);
  for (const double value : {x, raw}) {
    const tavrel::text::Text plain = tavrel::eval::format_number(value);
    check_written(plain, value);
    check_written(tavrel::eval::format_number(value, count), value);
    check_written(tavrel::eval::format_number(value, count, true), value);
    if (std::isfinite(value)) {
      const double back = tavrel::eval::to_number(plain);
      check(back == rounded_to_13_digits(value) || (back == 0 && value == 0),
            "reads back to 13 significant digits", value);
    }
  }
  return 0;
}
