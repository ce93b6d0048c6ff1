// SPDX-License-Identifier: MIT
// The formula normaliser written literally, stage by stage, with the text operations: slow, plain
// and kept as the oracle that the production normaliser is checked against.
#pragma once

#include <array>
#include <string_view>

#include "text/text.h"

namespace tavrel::support::reference {

// The working text and the marker text as one stage leaves them.
struct stage_texts {
  text::Text working;
  text::Text marker;
};

// Returns the working and marker texts after each of the stages 0 to 11, in order.
std::array<stage_texts, 12> normalise_formula_stages(std::string_view line);

// Returns the expression that the line normalises to, computed stage by stage.
text::Text normalise_formula_reference(std::string_view line);

}  // namespace tavrel::support::reference
