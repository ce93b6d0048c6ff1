// SPDX-License-Identifier: MIT
// The result box's text as the calculation run from scratch writes it, for comparisons.
#pragma once

#include <QByteArray>
#include <string_view>

#include "app/run_calculation.h"
#include "eval/script_component.h"

namespace tavrel::app::qt::testing {

// The three boxes kept in memory: what the calculation run writes when no window is involved.
class MemoryBoxes : public app::Boxes {
 public:
  text::Text get_text(app::Box box) override { return text(box); }
  void set_text(app::Box box, std::string_view t) override { text(box) = t; }
  void append_text(app::Box box, std::string_view t) override { text(box) += t; }

  text::Text& text(app::Box box) {
    return box == app::Box::input ? m_input : box == app::Box::result ? m_result : m_decimals;
  }

 private:
  text::Text m_input, m_result, m_decimals;
};

// Returns what run_calculation writes into the result box for these texts.
inline QByteArray fullRunResult(std::string_view input, std::string_view decimals = "") {
  MemoryBoxes boxes;
  boxes.set_text(app::Box::input, input);
  boxes.set_text(app::Box::decimals, decimals);
  eval::ScriptComponent script;
  app::run_calculation(boxes, script);
  return QByteArray::fromStdString(boxes.get_text(app::Box::result));
}

}  // namespace tavrel::app::qt::testing
