// SPDX-License-Identifier: MIT
// The script component: evaluates one normalised expression and gives its value as text.
#pragma once

#include <optional>
#include <string_view>

#include "text/text.h"

namespace tavrel::eval {

class ScriptComponent {
 public:
  // Makes a component with its engine; with engine_available false, one whose engine could not
  // be created, so that every evaluation gives the empty text.
  explicit ScriptComponent(bool engine_available = true);

  // Returns the value of the expression as text, or the empty text when it cannot be evaluated.
  text::Text evaluate(std::string_view expression);

  // Returns the value of the expression, or nothing when it cannot be evaluated: the number that
  // to_number reads back from evaluate's text, without the trip through the text.
  std::optional<double> evaluate_number(std::string_view expression);

  // Returns a description of the last failure (nothing in the window reads it).
  const text::Text& error_info() const;

  // Returns the script language, "JScript".
  const text::Text& language() const { return m_language; }

  // Returns the time-out in milliseconds; -1 means none.
  int time_out() const { return m_time_out; }

  // Returns true when the engine was created; a component without one never gets one later.
  bool created() const { return m_created; }

 private:
  bool m_created = false;
  text::Text m_language = "JScript";
  int m_time_out = -1;
  // The last failure is kept as its parts and described only when asked for: most evaluations
  // of free text fail, and nothing reads the description.
  mutable const char* m_error_description = nullptr;
  text::Text m_error_source;
  mutable text::Text m_error_info;
};

}  // namespace tavrel::eval
