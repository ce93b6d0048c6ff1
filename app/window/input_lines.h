// SPDX-License-Identifier: MIT
// Where the lines of the input text fall on the blocks (paragraphs) of the input box, and which
// blocks a change touched, so that a run re-reads and recomputes only the lines it has to.
//
// The input text is the blocks joined by CR LF, and its lines are what split_lines makes of it.
// Mostly a block is one line, but not always: a block may hold line separators of its own (they
// read as CR LF too), the final block gives no line when it is empty, and a block whose GBK bytes
// end in a lead byte standing alone (by the character step) takes the CR of the following CR LF
// as its second byte, so split_lines does not split there and the line goes on into the next
// block. Nothing here knows the toolkit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace tavrel::window {

// How the lines of the input text fall on one block.
struct BlockLines {
  std::uint32_t ends = 0;  // lines that end in this block
  bool joins = false;      // its last line goes on into the next block
  bool long_text = false;  // the block is too long for word wrapping
  friend bool operator==(const BlockLines&, const BlockLines&) = default;
};

// A stretch of consecutive blocks as the input text holds them.
struct BlockText {
  // The blocks in GBK, each line break as CR LF: the ones inside a block, the ones between the
  // blocks, and one after the last block unless it is the last block of the box.
  text::Text bytes;
  // For each block, the number of pieces its own line breaks cut it into (their count + 1).
  std::vector<std::uint32_t> pieces;
  // For each block, whether it is too long for word wrapping.
  std::vector<bool> long_text;
};

// Where one line lies in a stretch's bytes.
struct LineSpan {
  std::size_t start = 0;
  std::size_t size = 0;
};

// Returns how the lines fall on the blocks of `stretch`, whose first block begins a line;
// at_end tells that its last block is the last of the box. With `lines`, also appends where
// each line lies in the bytes: the items that split_lines(bytes, CR LF) gives, one by one.
// Returns nothing when the line breaks in the bytes do not match the pieces.
std::optional<std::vector<BlockLines>> block_lines(const BlockText& stretch, bool at_end,
                                                   std::vector<LineSpan>* lines = nullptr);

// Returns true when the last character of t, by the character step, is a lead byte standing
// alone: followed by CR LF, it takes the CR as its second byte.
bool ends_in_lone_lead(std::string_view t);

// How the lines fall on every block of the input box, as of the last run.
class LineMap {
 public:
  // Starts as the empty box: one block and no line.
  LineMap();

  // Returns the number of blocks.
  std::size_t blocks() const { return m_ends.size(); }

  // Returns whether the last line of block i goes on into block i + 1.
  bool joins(std::size_t i) const { return m_joins[i]; }

  // Returns the number of lines of all blocks.
  std::size_t lines() const { return m_lines; }

  // Returns the number of lines that end in the blocks before block `first`.
  std::size_t lines_before(std::size_t first) const;

  // Returns the number of lines that end in blocks [first, first + count).
  std::size_t lines_in(std::size_t first, std::size_t count) const;

  // Returns the number of blocks too long for word wrapping.
  std::size_t long_blocks() const { return m_long_blocks; }

  // Replaces blocks [first, first + count) with the given ones.
  void replace(std::size_t first, std::size_t count, std::span<const BlockLines> with);

  // Returns to the state of the empty box.
  void clear();

 private:
  std::vector<std::uint32_t> m_ends;
  std::vector<bool> m_joins;
  std::vector<bool> m_long;
  std::size_t m_lines = 0;
  std::size_t m_long_blocks = 0;
};

// Collects the changes of the input box between two runs as the stretch of blocks they touched:
// the blocks before the stretch and after it are the same blocks, with the same text, as at the
// last run.
class ChangeTracker {
 public:
  struct Stretch {
    bool any = false;       // false: nothing changed
    std::size_t front = 0;  // unchanged blocks at the start
    std::size_t back = 0;   // unchanged blocks at the end
  };

  // Returns the stretch that covers every block.
  static Stretch everything() { return {true, 0, 0}; }

  // Records a change after which blocks first..last (0-based, both included) of the box's
  // block_count blocks are new or altered.
  void note(std::size_t first, std::size_t last, std::size_t block_count);

  // Returns the changed stretch since the last call and starts afresh.
  Stretch take();

 private:
  Stretch m_stretch;
};

// What a run has to do to the lines: the stretch of blocks, which begins and ends with whole
// lines, before and after the changes, and its lines now.
struct LineUpdate {
  std::size_t first_block = 0;
  std::size_t old_blocks = 0;      // blocks the stretch held at the last run
  std::vector<BlockLines> blocks;  // how the lines fall on its blocks now
  std::size_t first_line = 0;      // index of its first line among all lines
  std::size_t old_lines = 0;       // lines it held at the last run
  text::Text bytes;                // its text now
  std::vector<LineSpan> lines;     // its lines now, in `bytes`

  // Returns line i of the stretch.
  std::string_view line(std::size_t i) const {
    return std::string_view(bytes).substr(lines[i].start, lines[i].size);
  }
};

// Reads blocks [first, end) of the input box.
using ReadBlocks = std::function<BlockText(std::size_t first, std::size_t end)>;

// Returns the update that brings `map` up to the box of block_count blocks after the changes
// in `changed`, reading only the blocks it needs; nothing when the map and the changes do not
// fit together or the text read does not match itself (the caller then starts from scratch).
std::optional<LineUpdate> plan_update(const LineMap& map, ChangeTracker::Stretch changed,
                                      std::size_t block_count, const ReadBlocks& read);

}  // namespace tavrel::window
