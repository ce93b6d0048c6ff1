// SPDX-License-Identifier: MIT
// The calculation run: rebuilds the result box from the input box, line by line.
#pragma once

#include "eval/script_component.h"
#include "text/text.h"

namespace tavrel::app {

// The three edit boxes that a run reads and writes.
enum class Box {
  input,     // 编辑框1
  result,    // 编辑框2
  decimals,  // 编辑框3
};

// The box operations a run relies on; the window, the command-line filter and tests provide them.
class Boxes {
 public:
  virtual ~Boxes() = default;
  // Returns the box's complete current text, line breaks as CR LF.
  virtual text::Text get_text(Box box) = 0;
  // Replaces the box's whole text.
  virtual void set_text(Box box, std::string_view t) = 0;
  // Adds t after the box's current last byte.
  virtual void append_text(Box box, std::string_view t) = 0;
};

// Empties the result box and writes "expression=value" CR LF for every line of the input box.
void run_calculation(Boxes& boxes, eval::ScriptComponent& script);

}  // namespace tavrel::app
