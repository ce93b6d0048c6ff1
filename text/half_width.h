// SPDX-License-Identifier: MIT
// Full-width folding and blank removal.
#pragma once

#include <string_view>

#include "text/text.h"

namespace tavrel::text {

// Returns the one-byte form of the two-byte character (lead, trail), or 0 when it has none.
char half_width_of(unsigned char lead, unsigned char trail);

// Returns t with every two-byte character that has a one-byte form replaced by that byte; a lone
// lead byte at the end is dropped.
Text to_half_width(std::string_view t);

// Returns t without its spaces (20) and ideographic spaces (A1 A1); a lone lead byte is dropped.
Text remove_blanks(std::string_view t);

}  // namespace tavrel::text
