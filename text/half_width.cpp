// SPDX-License-Identifier: MIT
#include "text/half_width.h"

namespace tavrel::text {

char half_width_of(unsigned char lead, unsigned char trail) {
  // A3 A1..A3 FE (U+FF01..U+FF5E, the full-width forms row) fold to 21..7E.
  if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return static_cast<char>(trail - 0x80);
  if (lead != 0xA1) return 0;
  switch (trail) {
    case 0xA1:
      return ' ';  // A1 A1 (U+3000, ideographic space)
    case 0xAB:
      return '~';  // A1 AB (U+FF5E, full-width tilde)
    case 0xEE:
      return '*';  // A1 EE (U+2606, white star)
    case 0xEF:
      return '*';  // A1 EF (U+2605, black star)
    default:
      return 0;
  }
}

Text to_half_width(std::string_view t) {
  Text out;
  out.reserve(t.size());
  for (std::size_t i = 0; i < t.size(); i += char_size(t, i)) {
    const unsigned char lead = static_cast<unsigned char>(t[i]);
    if (!is_lead_byte(lead)) {
      out.push_back(t[i]);
    } else if (is_lone_lead(t, i)) {
      break;
    } else if (char folded = half_width_of(lead, static_cast<unsigned char>(t[i + 1]))) {
      out.push_back(folded);
    } else {
      out.append(t.substr(i, 2));
    }
  }
  return out;
}

Text remove_blanks(std::string_view t) {
  Text out;
  out.reserve(t.size());
  for (std::size_t i = 0; i < t.size(); i += char_size(t, i)) {
    const unsigned char lead = static_cast<unsigned char>(t[i]);
    if (!is_lead_byte(lead)) {
      if (lead != ' ') out.push_back(t[i]);
    } else if (is_lone_lead(t, i)) {
      break;
    } else if (!(lead == 0xA1 && static_cast<unsigned char>(t[i + 1]) == 0xA1)) {
      out.append(t.substr(i, 2));
    }
  }
  return out;
}

}  // namespace tavrel::text
