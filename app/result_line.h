// SPDX-License-Identifier: MIT
// One line of the result box, computed from one input line.
#pragma once

#include <string_view>

#include "eval/script_component.h"
#include "text/text.h"

namespace tavrel::app {

// Returns the value text that follows "=": the expression's value, formatted with the count
// to_integer(decimals) when decimals is not empty and without a count otherwise.
text::Text value_text(std::string_view expression, std::string_view decimals,
                      eval::ScriptComponent& script);

// Appends the result line of one input line to out: expression, "=", value text, CR LF.
void append_result_line(text::Text& out, std::string_view line, std::string_view decimals,
                        eval::ScriptComponent& script);

// Returns the result line of one input line: expression, "=", value text, CR LF.
text::Text result_line(std::string_view line, std::string_view decimals,
                       eval::ScriptComponent& script);

}  // namespace tavrel::app
