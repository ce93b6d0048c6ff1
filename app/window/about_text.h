// SPDX-License-Identifier: MIT
// The about text that the link puts in front of the input.
#pragma once

#include <string_view>

namespace tavrel::window {

// Four lines, each ending with CR LF: name and version, year and maker, web address, thanks.
inline constexpr std::string_view kAboutText =
    " Tavrel v1.1\r\n"
    "(C) 2026 the Tavrel authors\r\n"
    "https://tavrel.example/\r\n"
    "Thanks to the Tavrel authors for the formula module\r\n";

}  // namespace tavrel::window
