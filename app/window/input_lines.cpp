// SPDX-License-Identifier: MIT
#include "app/window/input_lines.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace tavrel::window {

bool ends_in_lone_lead(std::string_view t) {
  std::size_t i = 0;
  while (i < t.size()) {
    if (i + 1 == t.size()) return text::is_lead_byte(static_cast<unsigned char>(t[i]));
    i += text::char_size(t, i);
  }
  return false;
}

std::optional<std::vector<BlockLines>> block_lines(const BlockText& stretch, bool at_end,
                                                   std::vector<LineSpan>* lines) {
  // The bytes are pieces separated by CR LF. A CR LF never comes from the middle of a character
  // (no GBK byte pair holds CR or LF), so every LF ends a piece. split_lines walks the pieces by
  // the character step; each piece begins on a character, and ends a line unless its last
  // character is a lone lead byte, which swallows the CR that follows. The last piece of the box
  // ends no line when it is empty and the piece before it ended one: split_lines gives no empty
  // item for the end of the text.
  const std::string_view bytes = stretch.bytes;
  std::vector<BlockLines> blocks;
  blocks.reserve(stretch.pieces.size());
  std::size_t start = 0;
  std::size_t line_start = 0;
  bool previous_joins = false;
  const auto end_line = [&](std::size_t end) {
    if (lines != nullptr) lines->push_back({line_start, end - line_start});
  };
  for (std::size_t b = 0; b < stretch.pieces.size(); ++b) {
    BlockLines block;
    block.long_text = b < stretch.long_text.size() && stretch.long_text[b];
    for (std::uint32_t k = 0; k < stretch.pieces[b]; ++k) {
      const bool last_of_box =
          at_end && b + 1 == stretch.pieces.size() && k + 1 == stretch.pieces[b];
      const std::size_t lf = bytes.find('\n', start);
      std::string_view piece;
      if (last_of_box) {
        if (lf != std::string_view::npos) return std::nullopt;
        piece = bytes.substr(start);
        start = bytes.size();
        if (!piece.empty() || previous_joins) {
          ++block.ends;
          end_line(bytes.size());
        }
        previous_joins = false;
        continue;
      }
      if (lf == std::string_view::npos || lf == start || bytes[lf - 1] != '\r') return std::nullopt;
      piece = bytes.substr(start, lf - 1 - start);
      start = lf + 1;
      previous_joins = ends_in_lone_lead(piece);
      if (!previous_joins) {
        ++block.ends;
        end_line(lf - 1);
        line_start = start;
      }
    }
    block.joins = previous_joins;
    blocks.push_back(block);
  }
  if (start != bytes.size() || blocks.empty()) return std::nullopt;
  return blocks;
}

LineMap::LineMap() {
  clear();
}

std::size_t LineMap::lines_before(std::size_t first) const {
  // Count from whichever end is nearer.
  if (first <= blocks() / 2) return lines_in(0, first);
  return m_lines - lines_in(first, blocks() - first);
}

std::size_t LineMap::lines_in(std::size_t first, std::size_t count) const {
  const auto begin = m_ends.begin() + static_cast<std::ptrdiff_t>(first);
  return std::accumulate(begin, begin + static_cast<std::ptrdiff_t>(count), std::size_t{0});
}

void LineMap::replace(std::size_t first, std::size_t count, std::span<const BlockLines> with) {
  const auto at = static_cast<std::ptrdiff_t>(first);
  const auto old_end = at + static_cast<std::ptrdiff_t>(count);
  m_long_blocks -=
      static_cast<std::size_t>(std::count(m_long.begin() + at, m_long.begin() + old_end, true));
  m_lines -= lines_in(first, count);

  // Overwrite what both have in common, then insert or erase the difference.
  const std::size_t common = std::min(count, with.size());
  for (std::size_t i = 0; i < common; ++i) {
    m_ends[first + i] = with[i].ends;
    m_joins[first + i] = with[i].joins;
    m_long[first + i] = with[i].long_text;
  }
  const auto tail = at + static_cast<std::ptrdiff_t>(common);
  if (count > with.size()) {
    m_ends.erase(m_ends.begin() + tail, m_ends.begin() + old_end);
    m_joins.erase(m_joins.begin() + tail, m_joins.begin() + old_end);
    m_long.erase(m_long.begin() + tail, m_long.begin() + old_end);
  } else if (with.size() > count) {
    const auto rest = with.subspan(common);
    std::vector<std::uint32_t> ends;
    std::vector<bool> joins;
    std::vector<bool> long_text;
    ends.reserve(rest.size());
    joins.reserve(rest.size());
    long_text.reserve(rest.size());
    for (const BlockLines& block : rest) {
      ends.push_back(block.ends);
      joins.push_back(block.joins);
      long_text.push_back(block.long_text);
    }
    m_ends.insert(m_ends.begin() + tail, ends.begin(), ends.end());
    m_joins.insert(m_joins.begin() + tail, joins.begin(), joins.end());
    m_long.insert(m_long.begin() + tail, long_text.begin(), long_text.end());
  }
  for (const BlockLines& block : with) {
    m_lines += block.ends;
    m_long_blocks += block.long_text ? 1 : 0;
  }
}

void LineMap::clear() {
  m_ends.assign(1, 0);
  m_joins.assign(1, false);
  m_long.assign(1, false);
  m_lines = 0;
  m_long_blocks = 0;
}

void ChangeTracker::note(std::size_t first, std::size_t last, std::size_t block_count) {
  // Blocks before `first` and after `last` are untouched by this change; what was untouched by
  // every change so far is the smaller count at either end.
  last = std::min(std::max(first, last), block_count - 1);
  const std::size_t front = std::min(first, last);
  const std::size_t back = block_count - 1 - last;
  if (!m_stretch.any) {
    m_stretch = {true, front, back};
    return;
  }
  m_stretch.front = std::min(m_stretch.front, front);
  m_stretch.back = std::min(m_stretch.back, back);
}

ChangeTracker::Stretch ChangeTracker::take() {
  return std::exchange(m_stretch, Stretch{});
}

std::optional<LineUpdate> plan_update(const LineMap& map, ChangeTracker::Stretch changed,
                                      std::size_t block_count, const ReadBlocks& read) {
  const std::size_t old_count = map.blocks();
  if (!changed.any || block_count == 0) return std::nullopt;
  // Both before and after the changes the stretch holds at least one block.
  if (changed.front + changed.back >= old_count || changed.front + changed.back >= block_count) {
    return std::nullopt;
  }
  std::size_t front = changed.front;
  std::size_t back = changed.back;

  // Begin where the line that holds the first changed block begins.
  while (front > 0 && map.joins(front - 1)) --front;

  LineUpdate update;
  BlockText stretch = read(front, block_count - back);
  std::optional<std::vector<BlockLines>> blocks;
  if (stretch.pieces.size() == block_count - back - front) {
    blocks = block_lines(stretch, back == 0, &update.lines);
  }
  if (!blocks) return std::nullopt;

  // End where a line ends, before the changes and after them: while the stretch's last block
  // joins the next (in either state), take that next block in. Those blocks are unchanged, so
  // their own joining is the same in both states.
  bool joins = blocks->back().joins || map.joins(old_count - back - 1);
  const std::size_t first_back = back;
  while (joins && back > 0) {
    --back;
    joins = map.joins(old_count - back - 1);
  }
  if (back != first_back) {
    stretch = read(front, block_count - back);
    blocks.reset();
    update.lines.clear();
    if (stretch.pieces.size() == block_count - back - front) {
      blocks = block_lines(stretch, back == 0, &update.lines);
    }
    if (!blocks || (back > 0 && blocks->back().joins)) return std::nullopt;
  }

  update.first_block = front;
  update.old_blocks = old_count - back - front;
  update.first_line = map.lines_before(front);
  update.old_lines = map.lines_in(front, update.old_blocks);
  update.bytes = std::move(stretch.bytes);
  update.blocks = std::move(*blocks);
  return update;
}

}  // namespace tavrel::window
