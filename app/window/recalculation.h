// SPDX-License-Identifier: MIT
// The calculation run as the window performs it: the result box ends exactly as a run over all
// lines leaves it (the whole result text, the caret at the end and the end in view), but only
// the lines that changed since the last run are read and recomputed, and only the result lines
// that differ are rewritten.
#pragma once

#include <QObject>
#include <cstddef>
#include <span>
#include <string_view>

#include "app/result_cache.h"
#include "app/window/input_lines.h"
#include "eval/script_component.h"
#include "text/text.h"

namespace tavrel::window {

class PlainBox;

class Recalculation : public QObject {
  Q_OBJECT

 public:
  // Follows the changes of the input box from now on; the boxes, the cache and the script
  // component must outlive this object.
  Recalculation(PlainBox& input, PlainBox& result, app::ResultCache& results,
                eval::ScriptComponent& script, QObject* parent = nullptr);

  // Brings the result box up to date with the input box under the decimal places text. Every
  // line is recomputed (through the cache) when `everything` is set, on the first run and when
  // the decimal places text is not the last run's; the result box is written whole on the first
  // run and after anything else has written to it.
  void run(std::string_view decimals, bool everything);

 private:
  void noteInputChange(int position, int added);
  void noteResultChange();
  void recalculateWithoutMap(std::string_view decimals);
  void writeResults(std::size_t first_line, std::size_t old_lines,
                    std::span<const std::string_view> lines, std::string_view decimals, bool whole);
  bool resultMatchesMap() const;

  PlainBox& m_input;
  PlainBox& m_result;
  app::ResultCache& m_results;
  eval::ScriptComponent& m_script;

  LineMap m_map;            // the input box's lines at the last run
  ChangeTracker m_changes;  // what changed in the input box since
  text::Text m_decimals;    // the decimal places text of the last run
  bool m_synced = false;    // the map and the result box stand for the last run
  bool m_resultEdited = false;
  bool m_writing = false;         // the result box changes by this object's own hand
  std::size_t m_longResults = 0;  // result lines too long for word wrapping
};

}  // namespace tavrel::window
