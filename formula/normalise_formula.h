// SPDX-License-Identifier: MIT
// The formula normaliser: one line of free text in, an expression of formula characters out.
#pragma once

#include <string_view>

#include "text/text.h"

namespace tavrel::formula {

// Returns the expression that the line normalises to: only the 18 formula characters, repaired
// points, operators and parentheses. Keeps no state between calls; time is linear in the line.
text::Text normalise_formula(std::string_view line);

// Appends the expression that the line normalises to to out: normalise_formula without a text
// of its own, for callers that build one text from many pieces.
void append_normalised_formula(text::Text& out, std::string_view line);

}  // namespace tavrel::formula
