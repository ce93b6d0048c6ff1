// SPDX-License-Identifier: MIT
#include "support/fatal_action.h"

#include <charconv>

namespace tavrel::support {

std::optional<FatalAction> fatal_action(std::string_view action) {
  constexpr std::string_view kPrefix = "fatal:";
  if (!action.starts_with(kPrefix)) return std::nullopt;
  action.remove_prefix(kPrefix.size());
  FatalAction fatal;
  const char* const last = action.data() + action.size();
  const auto [end, error] = std::from_chars(action.data(), last, fatal.code);
  if (error == std::errc() && end < last && *end == ':') fatal.message.assign(end + 1, last);
  return fatal;
}

}  // namespace tavrel::support
