// SPDX-License-Identifier: MIT
// Writing numbers as the text shown after "=".
#pragma once

#include <cstdint>
#include <optional>

#include "text/text.h"

namespace tavrel::eval {

// Returns x with up to 13 significant digits; with a count n, rounded to n places (halves away
// from zero) and padded with zeros to n places. Never longer than 199 bytes.
text::Text format_number(double x, std::optional<std::int32_t> n = std::nullopt,
                         bool grouping = false);

// Appends the text that format_number(x, n) returns to out.
void append_number(text::Text& out, double x, std::optional<std::int32_t> n = std::nullopt);

}  // namespace tavrel::eval
