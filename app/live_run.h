// SPDX-License-Identifier: MIT
// The calculation run as a window performs it on every change: the result box ends exactly as a
// run over all lines leaves it (the whole result text, the caret at the end and the end in
// view), but only the lines that changed since the last run are read and recomputed, and only
// the result lines that differ are rewritten. It knows the boxes through two narrow interfaces,
// which the Qt window, the Windows window and the tests' fake each implement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "app/result_cache.h"
#include "app/result_line.h"
#include "eval/script_component.h"
#include "text/text.h"

namespace tavrel::app {

// A stretch of consecutive blocks of the input box as its text holds them.
struct BlockText {
  // The blocks in GBK joined by CR LF, without a break after the last; the line breaks inside
  // a block are CR LF too.
  text::Text bytes;
  // For each block, the number of pieces its own line breaks cut it into (their count + 1).
  std::vector<std::uint32_t> pieces;
};

// The input box as a front end that knows its blocks (paragraphs) reads it.
class InputBlocks {
 public:
  virtual ~InputBlocks() = default;

  // Returns the number of blocks of the input box; an empty box has one.
  virtual std::size_t block_count() = 0;

  // Returns blocks [first, end) of the input box.
  virtual BlockText read_blocks(std::size_t first, std::size_t end) = 0;
};

// The result box, which holds one result line a line and an empty last line.
class ResultBox {
 public:
  // As `end`: every line from `first` to the end of the box.
  static constexpr std::size_t kToTheEnd = std::numeric_limits<std::size_t>::max();

  virtual ~ResultBox() = default;

  // Replaces lines [first, end) of the box, their line breaks included, with `lines`: whole
  // result lines, each ending in CR LF. Not an undo step.
  virtual void replace_lines(std::size_t first, std::size_t end, std::string_view lines) = 0;

  // Puts the caret after the last character and scrolls it into view.
  virtual void show_end() = 0;
};

class LiveRun {
 public:
  // The result box, the cache and the script component must outlive the run. Input lines and
  // result lines longer than long_line bytes are counted, for a front end whose word wrapping
  // slows down on them.
  LiveRun(ResultBox& results, ResultCache& cache, eval::ScriptComponent& script,
          std::size_t long_line = std::numeric_limits<std::size_t>::max());

  // Records a change of the input box after which blocks first..last (both included) of its
  // block_count blocks are new or altered; the blocks around them are as at the last run.
  void note_input_change(std::size_t first, std::size_t last, std::size_t block_count);

  // Records that something other than this run changed the result box; the next run writes it
  // whole. Changes that arrive while this run writes are its own and are ignored.
  void note_result_change();

  // Brings the result box up to date with the input box under the decimal places text, reading
  // the blocks that changed since the last run. With `everything` (a click on the calculate
  // button) every line is recomputed, through the cache; so it is on the first run and when the
  // decimal places text is not the last run's.
  void run(InputBlocks& input, std::string_view decimals, bool everything);

  // The same for a front end that only knows that the text changed: `input` is the whole text of
  // the input box, line breaks as CR LF, and the lines that changed are found from what it has
  // in common at either end with the text of the last run.
  void run_text(std::string_view input, std::string_view decimals, bool everything);

  // Returns true when an input block of the last run is longer than long_line bytes.
  bool has_long_input_lines() const { return m_long_blocks > 0; }

  // Returns true when a result line of the last run is longer than long_line bytes.
  bool has_long_result_lines() const { return m_long_results > 0; }

 private:
  struct Stretch {
    bool any = false;       // false: nothing changed
    std::size_t front = 0;  // unchanged blocks at the start
    std::size_t back = 0;   // unchanged blocks at the end
  };

  void update(Stretch changed, std::size_t block_count, InputBlocks& input,
              std::string_view decimals, bool everything);
  void replace_blocks(std::size_t first, std::size_t old_count, const BlockText& blocks,
                      DecimalCount count, bool at_end);
  void write_results(std::size_t first, std::size_t old_pieces, std::size_t old_shown, bool whole);
  void write_whole();
  std::size_t shown_lines() const;
  std::size_t pieces_before(std::size_t block) const;
  bool is_long(std::size_t bytes) const { return bytes > m_long_line; }

  ResultBox& m_box;
  ResultCache& m_cache;
  eval::ScriptComponent& m_script;
  std::size_t m_long_line;

  // As of the last run: how many pieces (texts between line breaks) each input block holds and
  // which blocks are long, the result line of every piece (the last piece's shows only when that
  // piece is not empty: the text then ends with a line break), and whether the last is empty.
  std::vector<std::uint32_t> m_pieces_per_block;
  std::vector<bool> m_long_block;
  std::vector<text::Text> m_results;
  bool m_last_piece_empty = true;
  std::size_t m_long_blocks = 0;
  std::size_t m_long_results = 0;

  Stretch m_changes;              // of the input box since the last run
  text::Text m_decimals;          // the decimal places text of the last run
  text::Text m_text;              // the input text of the last run, for run_text
  bool m_synced = false;          // the state above stands for the last run
  bool m_result_edited = false;   // the result box changed by another hand since
  bool m_writing = false;         // this run is writing to the result box
  std::vector<text::Text> m_new;  // new result lines of the stretch being written
};

}  // namespace tavrel::app
