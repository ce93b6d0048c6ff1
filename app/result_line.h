// SPDX-License-Identifier: MIT
// One line of the result box, computed from one input line: the one production path, shared by
// the live run of the windows, the result cache and the filter.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "eval/script_component.h"
#include "text/text.h"

namespace tavrel::app {

// The count of decimals that values are formatted with: none when the decimal places text is
// empty. A run reads it once and hands it on as a number.
using DecimalCount = std::optional<std::int32_t>;

// Returns the count that the decimal places text gives: none for the empty text, otherwise
// to_integer of it.
DecimalCount decimal_count(std::string_view decimals);

// Appends the result line of one input line to out: expression, "=", value text, CR LF.
void append_result_line(text::Text& out, std::string_view line, DecimalCount count,
                        eval::ScriptComponent& script);

// Returns the result line of one input line: expression, "=", value text, CR LF.
text::Text result_line(std::string_view line, DecimalCount count, eval::ScriptComponent& script);

}  // namespace tavrel::app
