// SPDX-License-Identifier: MIT
// The fatal error that a start-up test driver is asked to raise: "fatal:<code>:<message>".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel::support {

struct FatalAction {
  std::int32_t code = 0;
  std::string message;
};

// Returns the code and message of "fatal:<code>:<message>" (a code that does not read gives 0
// and no message), or nothing when the action is another one.
std::optional<FatalAction> fatal_action(std::string_view action);

}  // namespace tavrel::support
