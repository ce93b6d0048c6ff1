// SPDX-License-Identifier: MIT
#include "app/live_run.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <utility>

namespace tavrel::app {
namespace {

constexpr std::string_view kBreak = "\r\n";

std::size_t count_breaks(std::string_view t) {
  std::size_t count = 0;
  for (std::size_t at = t.find(kBreak); at != std::string_view::npos; at = t.find(kBreak, at + 2)) {
    ++count;
  }
  return count;
}

// Returns the lines joined, each ending with its CR LF already.
text::Text joined(std::vector<text::Text>::const_iterator first,
                  std::vector<text::Text>::const_iterator last) {
  std::size_t size = 0;
  for (auto it = first; it != last; ++it) size += it->size();
  text::Text out;
  out.reserve(size);
  for (auto it = first; it != last; ++it) out.append(*it);
  return out;
}

// The whole text of an input box, read as blocks of one line each.
class TextAsBlocks : public InputBlocks {
 public:
  TextAsBlocks(std::string_view t, std::size_t lines) : m_text(t), m_lines(lines) {}

  // Starts reading at line `line`, which begins at byte `offset`.
  void anchor(std::size_t line, std::size_t offset) {
    m_line = line;
    m_offset = offset;
  }

  std::size_t block_count() override { return m_lines; }

  BlockText read_blocks(std::size_t first, std::size_t end) override {
    if (first < m_line) anchor(0, 0);
    for (; m_line < first; ++m_line) m_offset = m_text.find(kBreak, m_offset) + kBreak.size();
    const std::size_t start = m_offset;
    std::size_t stop = start;
    for (; m_line < end; ++m_line) {
      const std::size_t at = m_text.find(kBreak, m_offset);
      stop = at == std::string_view::npos ? m_text.size() : at;
      m_offset = at == std::string_view::npos ? m_text.size() : at + kBreak.size();
    }
    return {text::Text(m_text.substr(start, stop - start)),
            std::vector<std::uint32_t>(end - first, 1)};
  }

 private:
  std::string_view m_text;
  std::size_t m_lines;
  std::size_t m_line = 0;
  std::size_t m_offset = 0;
};

}  // namespace

LiveRun::LiveRun(ResultBox& results, ResultCache& cache, eval::ScriptComponent& script,
                 std::size_t long_line)
    : m_box(results), m_cache(cache), m_script(script), m_long_line(long_line) {
  // The empty box: one block of one empty piece.
  m_pieces_per_block.assign(1, 1);
  m_long_block.assign(1, false);
  m_results.assign(1, text::Text());
}

void LiveRun::note_input_change(std::size_t first, std::size_t last, std::size_t block_count) {
  // Blocks before `first` and after `last` are untouched by this change; what was untouched by
  // every change so far is the smaller count at either end.
  if (block_count == 0) return;
  last = std::min(std::max(first, last), block_count - 1);
  const std::size_t front = std::min(first, last);
  const std::size_t back = block_count - 1 - last;
  if (!m_changes.any) {
    m_changes = {true, front, back};
    return;
  }
  m_changes.front = std::min(m_changes.front, front);
  m_changes.back = std::min(m_changes.back, back);
}

void LiveRun::note_result_change() {
  if (!m_writing) m_result_edited = true;
}

void LiveRun::run(InputBlocks& input, std::string_view decimals, bool everything) {
  update(std::exchange(m_changes, Stretch{}), input.block_count(), input, decimals, everything);
}

void LiveRun::run_text(std::string_view input, std::string_view decimals, bool everything) {
  const std::size_t lines = count_breaks(input) + 1;
  TextAsBlocks blocks(input, lines);
  Stretch changed{true, 0, 0};
  if (m_synced && input == m_text) {
    changed.any = false;
  } else if (m_synced) {
    // The lines that lie whole, with their line break, in the bytes the two texts share at the
    // start, and those that lie whole, with the break before them, in the bytes they share at
    // the end, are the same lines as before.
    const std::string_view old = m_text;
    const std::size_t limit = std::min(old.size(), input.size());
    const std::size_t prefix = static_cast<std::size_t>(
        std::mismatch(input.begin(), input.begin() + limit, old.begin()).first - input.begin());
    std::size_t suffix = 0;
    while (suffix < limit - prefix &&
           input[input.size() - 1 - suffix] == old[old.size() - 1 - suffix]) {
      ++suffix;
    }
    std::size_t offset = 0;
    for (std::size_t at = input.find(kBreak); at != std::string_view::npos && at + 2 <= prefix;
         at = input.find(kBreak, at + 2)) {
      ++changed.front;
      offset = at + 2;
    }
    const std::size_t cap = std::min(lines, m_pieces_per_block.size()) - 1 - changed.front;
    for (std::size_t at = input.rfind(kBreak);
         changed.back < cap && at != std::string_view::npos && at >= input.size() - suffix;
         at = at == 0 ? std::string_view::npos : input.rfind(kBreak, at - 1)) {
      ++changed.back;
    }
    blocks.anchor(changed.front, offset);
  }
  update(changed, lines, blocks, decimals, everything);
  m_text.assign(input);
}

void LiveRun::update(Stretch changed, std::size_t block_count, InputBlocks& input,
                     std::string_view decimals, bool everything) {
  const bool whole = !m_synced || m_result_edited;
  const std::size_t old_blocks = m_pieces_per_block.size();
  if (everything || whole || decimals != m_decimals) changed = {true, 0, 0};
  if (changed.any &&
      (changed.front + changed.back >= old_blocks || changed.front + changed.back >= block_count)) {
    changed = {true, 0, 0};
  }
  if (!changed.any || block_count == 0) {
    // Nothing to recompute; the result box still ends as a run leaves it.
    m_box.show_end();
    return;
  }

  const std::size_t first = changed.front;
  const std::size_t old_count = old_blocks - changed.front - changed.back;
  const BlockText blocks = input.read_blocks(first, block_count - changed.back);

  const std::size_t first_piece = pieces_before(first);
  const std::size_t old_pieces = std::accumulate(
      m_pieces_per_block.begin() + static_cast<std::ptrdiff_t>(first),
      m_pieces_per_block.begin() + static_cast<std::ptrdiff_t>(first + old_count), std::size_t{0});
  const std::size_t old_shown = shown_lines();
  replace_blocks(first, old_count, blocks, decimal_count(decimals), changed.back == 0);
  write_results(first_piece, old_pieces, old_shown, whole);
  m_decimals.assign(decimals);
  m_synced = true;
  m_result_edited = false;
}

void LiveRun::replace_blocks(std::size_t first, std::size_t old_count, const BlockText& blocks,
                             DecimalCount count, bool at_end) {
  // Every CR LF of the bytes is a line break: no GBK character holds a CR or an LF byte.
  const std::string_view bytes = blocks.bytes;
  std::vector<std::uint32_t> pieces;
  std::vector<bool> long_blocks;
  pieces.reserve(blocks.pieces.size());
  long_blocks.reserve(blocks.pieces.size());
  m_new.clear();
  std::size_t start = 0;
  bool last_empty = false;
  for (const std::uint32_t n : blocks.pieces) {
    const std::size_t block_start = start;
    std::size_t block_end = start;
    for (std::uint32_t k = 0; k < std::max<std::uint32_t>(n, 1); ++k) {
      const std::size_t at = std::min(bytes.find(kBreak, start), bytes.size());
      const std::string_view piece =
          bytes.substr(std::min(start, bytes.size()), at - std::min(start, at));
      // An empty last piece of the box gives no line: it is not computed (nor shown) until a
      // change makes it a line, and every such change reaches it.
      const bool hidden = at_end && piece.empty() && at == bytes.size();
      m_new.push_back(hidden ? text::Text() : m_cache.result_line(piece, count, m_script));
      last_empty = piece.empty();
      block_end = at;
      start = at + kBreak.size();
    }
    pieces.push_back(std::max<std::uint32_t>(n, 1));
    long_blocks.push_back(is_long(block_end - std::min(block_start, block_end)));
  }
  if (at_end) m_last_piece_empty = last_empty;

  const auto at = m_pieces_per_block.begin() + static_cast<std::ptrdiff_t>(first);
  const auto long_at = m_long_block.begin() + static_cast<std::ptrdiff_t>(first);
  const auto old_long = long_at + static_cast<std::ptrdiff_t>(old_count);
  m_long_blocks -= static_cast<std::size_t>(std::count(long_at, old_long, true));
  m_long_blocks +=
      static_cast<std::size_t>(std::count(long_blocks.begin(), long_blocks.end(), true));
  if (old_count == pieces.size()) {
    std::copy(pieces.begin(), pieces.end(), at);
    std::copy(long_blocks.begin(), long_blocks.end(), long_at);
    return;
  }
  m_pieces_per_block.erase(at, at + static_cast<std::ptrdiff_t>(old_count));
  m_pieces_per_block.insert(m_pieces_per_block.begin() + static_cast<std::ptrdiff_t>(first),
                            pieces.begin(), pieces.end());
  m_long_block.erase(long_at, old_long);
  m_long_block.insert(m_long_block.begin() + static_cast<std::ptrdiff_t>(first),
                      long_blocks.begin(), long_blocks.end());
}

void LiveRun::write_results(std::size_t first, std::size_t old_pieces, std::size_t old_shown,
                            bool whole) {
  const std::size_t new_pieces = m_new.size();
  const auto old_begin = m_results.begin() + static_cast<std::ptrdiff_t>(first);
  for (auto it = old_begin; it != old_begin + static_cast<std::ptrdiff_t>(old_pieces); ++it) {
    m_long_results -= is_long(it->size()) ? 1 : 0;
  }
  for (const text::Text& line : m_new) m_long_results += is_long(line.size()) ? 1 : 0;

  // The lines of the stretch that the box shows, before and after.
  const std::size_t old_count =
      std::min(first + old_pieces, old_shown) - std::min(first, old_shown);
  const std::size_t total = m_results.size() - old_pieces + new_pieces;
  const std::size_t new_shown = total - (m_last_piece_empty ? 1 : 0);
  const std::size_t new_count =
      std::min(first + new_pieces, new_shown) - std::min(first, new_shown);

  // Keep the lines that are the same at either end of the stretch.
  std::size_t same_front = 0;
  std::size_t same_back = 0;
  if (!whole) {
    const std::size_t common = std::min(old_count, new_count);
    while (same_front < common && m_results[first + same_front] == m_new[same_front]) ++same_front;
    while (same_front + same_back < common &&
           m_results[first + old_count - 1 - same_back] == m_new[new_count - 1 - same_back]) {
      ++same_back;
    }
  }

  const text::Text lines =
      whole ? text::Text()
            : joined(m_new.begin() + static_cast<std::ptrdiff_t>(same_front),
                     m_new.begin() + static_cast<std::ptrdiff_t>(new_count - same_back));
  if (old_pieces == new_pieces) {
    std::move(m_new.begin(), m_new.end(), old_begin);
  } else {
    m_results.erase(old_begin, old_begin + static_cast<std::ptrdiff_t>(old_pieces));
    m_results.insert(m_results.begin() + static_cast<std::ptrdiff_t>(first),
                     std::make_move_iterator(m_new.begin()), std::make_move_iterator(m_new.end()));
  }

  m_writing = true;
  if (whole) {
    write_whole();
  } else if (same_front + same_back < std::max(old_count, new_count)) {
    m_box.replace_lines(first + same_front, first + old_count - same_back, lines);
  }
  m_box.show_end();
  m_writing = false;
}

void LiveRun::write_whole() {
  const auto shown = m_results.begin() + static_cast<std::ptrdiff_t>(shown_lines());
  m_box.replace_lines(0, ResultBox::kToTheEnd, joined(m_results.begin(), shown));
}

std::size_t LiveRun::shown_lines() const {
  return m_results.size() - (m_last_piece_empty ? 1 : 0);
}

std::size_t LiveRun::pieces_before(std::size_t block) const {
  // Count from whichever end is nearer.
  const auto at = m_pieces_per_block.begin() + static_cast<std::ptrdiff_t>(block);
  if (block <= m_pieces_per_block.size() / 2) {
    return std::accumulate(m_pieces_per_block.begin(), at, std::size_t{0});
  }
  return m_results.size() - std::accumulate(at, m_pieces_per_block.end(), std::size_t{0});
}

}  // namespace tavrel::app
