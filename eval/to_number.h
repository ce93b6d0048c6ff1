// SPDX-License-Identifier: MIT
// Reading numbers from the start of a text.
#pragma once

#include <cstdint>
#include <string_view>

namespace tavrel::eval {

// Returns the value of the number at the start of t (after folding and white space), or 0.
// "1.#INF", "-1.#INF" give the infinities; "1.#IND", "-1.#IND", "1.#QNAN", "-1.#QNAN" give NaN.
double to_number(std::string_view t);

// Returns the integer at the start of t (after folding and white space), wrapped modulo 2^32.
std::int32_t to_integer(std::string_view t);

}  // namespace tavrel::eval
