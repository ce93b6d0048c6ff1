// SPDX-License-Identifier: MIT
// The decimal places box: its typing filter and the tidy it gets when it loses the focus.
#pragma once

#include <string_view>

#include "text/text.h"

namespace tavrel::app {

// Returns true when a typed character of this code may enter the decimal places box: control
// characters (below 32), "-" and the digits "0" to "9".
bool accepts_decimals_char(char32_t code);

// Returns the box's text after it loses the focus: read as a 64-bit signed decimal (white space
// skipped, one optional sign, digits modulo 2^64), limited to the 32-bit range, written in
// decimal; "0" becomes the empty text.
text::Text tidy_decimals(std::string_view t);

}  // namespace tavrel::app
