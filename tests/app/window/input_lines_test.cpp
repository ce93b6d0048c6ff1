// SPDX-License-Identifier: MIT
// Where the input lines fall on the blocks of the input box, and the updates of that map: a box
// of blocks held in memory, edited at random, must always give the lines that split_lines gives
// for its whole text.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "app/window/input_lines.h"
#include "text/text.h"

namespace {

using tavrel::text::Text;
using tavrel::text::TextList;
using tavrel::window::block_lines;
using tavrel::window::BlockLines;
using tavrel::window::BlockText;
using tavrel::window::ChangeTracker;
using tavrel::window::ends_in_lone_lead;
using tavrel::window::LineMap;
using tavrel::window::LineSpan;
using tavrel::window::LineUpdate;
using tavrel::window::plan_update;

// A block: its pieces, between which it has line breaks of its own.
using Block = std::vector<Text>;

Text join_block(const Block& block) {
  Text joined;
  for (std::size_t k = 0; k < block.size(); ++k) {
    if (k > 0) joined += "\r\n";
    joined += block[k];
  }
  return joined;
}

// Blocks [first, end) as the window reads them from its box.
BlockText read(const std::vector<Block>& box, std::size_t first, std::size_t end) {
  BlockText stretch;
  for (std::size_t i = first; i < end; ++i) {
    stretch.bytes += join_block(box[i]);
    if (i + 1 < box.size()) stretch.bytes += "\r\n";
    stretch.pieces.push_back(static_cast<std::uint32_t>(box[i].size()));
    stretch.long_text.push_back(join_block(box[i]).size() > 8);
  }
  return stretch;
}

Text whole_text(const std::vector<Block>& box) {
  return read(box, 0, box.size()).bytes;
}

struct BlockRow {
  const char* name;
  std::vector<Block> blocks;
  bool at_end;
  std::vector<BlockLines> expected;
};

TEST(BlockLines, Table) {
  const BlockRow rows[] = {
      {"one_line_per_block", {{"1"}, {"2"}}, true, {{1, false}, {1, false}}},
      // split_lines gives no item for an empty end of the text.
      {"empty_last_block", {{"1"}, {""}}, true, {{1, false}, {0, false}}},
      {"empty_box", {{""}}, true, {{0, false}}},
      {"empty_blocks_inside", {{""}, {""}}, false, {{1, false}, {1, false}}},
      // 0x80 (€) standing last takes the CR of the line break: the line goes on.
      {"lone_lead_joins", {{"1\x81"}, {"2"}}, true, {{0, true}, {1, false}}},
      {"lone_lead_before_empty_last", {{"1\x81"}, {""}}, true, {{0, true}, {1, false}}},
      {"lone_leads_chain", {{"\x81"}, {"\x81"}, {"3"}}, true, {{0, true}, {0, true}, {1, false}}},
      // Two lead bytes make one character, which ends the piece.
      {"two_byte_character", {{"\x81\x81"}, {"2"}}, true, {{1, false}, {1, false}}},
      {"character_then_lone_lead", {{"\xB0\xA1\x81"}, {"2"}}, true, {{0, true}, {1, false}}},
      // The last byte of the box has nothing to take.
      {"lone_lead_at_the_very_end", {{"1"}, {"\x81"}}, true, {{1, false}, {1, false}}},
      {"own_line_breaks", {{"1", "2", "3"}}, true, {{3, false}}},
      {"own_break_at_the_end", {{"1", ""}}, true, {{1, false}}},
      {"own_break_after_lone_lead", {{"1\x81", "2"}, {"3"}}, true, {{1, false}, {1, false}}},
      {"long_block", {{"123456789"}}, true, {{1, false, true}}},
  };
  for (const BlockRow& row : rows) {
    SCOPED_TRACE(row.name);
    BlockText stretch = read(row.blocks, 0, row.blocks.size());
    if (!row.at_end) stretch.bytes += "\r\n";
    std::vector<LineSpan> spans;
    const auto blocks = block_lines(stretch, row.at_end, &spans);
    ASSERT_TRUE(blocks.has_value());
    EXPECT_EQ(*blocks, row.expected);
    std::size_t ends = 0;
    for (const BlockLines& block : *blocks) ends += block.ends;
    TextList lines;
    for (const LineSpan& span : spans) lines.push_back(stretch.bytes.substr(span.start, span.size));
    EXPECT_EQ(ends, lines.size());
    EXPECT_EQ(lines, tavrel::text::split_lines(stretch.bytes, "\r\n"));
  }
}

TEST(BlockLines, RefusesBytesThatDoNotMatchThePieces) {
  // One piece announced, two in the bytes; two announced, one in the bytes; a bare LF.
  EXPECT_FALSE(block_lines({"1\r\n2", {1}, {}}, true).has_value());
  EXPECT_FALSE(block_lines({"12", {2}, {}}, true).has_value());
  EXPECT_FALSE(block_lines({"1\n2", {2}, {}}, true).has_value());
  EXPECT_FALSE(block_lines({"1", {1}, {}}, false).has_value());  // no break after the last
}

TEST(BlockLines, LoneLeadByTheCharacterStep) {
  EXPECT_TRUE(ends_in_lone_lead("\x81"));
  EXPECT_TRUE(ends_in_lone_lead("a\x81"));
  EXPECT_FALSE(ends_in_lone_lead("\x81\x81"));
  EXPECT_TRUE(ends_in_lone_lead("\x81\x81\x81"));
  EXPECT_FALSE(ends_in_lone_lead("\xB0\x81"));  // 0x80 is the second byte here
  EXPECT_FALSE(ends_in_lone_lead(""));
  EXPECT_FALSE(ends_in_lone_lead("12"));
}

TEST(ChangeTracker, KeepsWhatNoChangeTouched) {
  ChangeTracker tracker;
  EXPECT_FALSE(tracker.take().any);

  // Ten blocks; a Return at the end of block 2 makes blocks 2 and 3 of eleven.
  tracker.note(2, 3, 11);
  // Then typing in block 8 of the eleven.
  tracker.note(8, 8, 11);
  ChangeTracker::Stretch stretch = tracker.take();
  EXPECT_TRUE(stretch.any);
  EXPECT_EQ(stretch.front, 2u);
  EXPECT_EQ(stretch.back, 2u);
  EXPECT_FALSE(tracker.take().any);  // taken

  // A block past the end counts as the last one.
  tracker.note(5, 99, 4);
  stretch = tracker.take();
  EXPECT_EQ(stretch.front, 3u);
  EXPECT_EQ(stretch.back, 0u);
}

// A box of blocks edited at random, run after run, with the map and the lines the runs keep.
class EditedBox {
 public:
  explicit EditedBox(std::uint32_t seed) : m_random(seed) {}

  // Replaces blocks [first, first + count) with `with`, reporting the change as the toolkit
  // does: every change lies in some block, so a change that only adds blocks or only removes
  // them also touches the block next to them.
  void edit(std::size_t first, std::size_t count, const std::vector<Block>& with) {
    m_box.erase(m_box.begin() + static_cast<std::ptrdiff_t>(first),
                m_box.begin() + static_cast<std::ptrdiff_t>(first + count));
    m_box.insert(m_box.begin() + static_cast<std::ptrdiff_t>(first), with.begin(), with.end());
    std::size_t low = first;
    std::size_t high = first + with.size();  // one past the new blocks
    if (count == 0 || with.empty()) {
      if (high < m_box.size()) {
        ++high;
      } else if (low > 0) {
        --low;
      }
    }
    if (m_box.empty()) {
      m_box.push_back({""});
      low = 0;
      high = 1;
    }
    m_tracker.note(low, high - 1, m_box.size());
  }

  void randomEdit() {
    const std::size_t first = below(m_box.size());
    const std::size_t count = below(std::min<std::size_t>(3, m_box.size() - first) + 1);
    std::vector<Block> with(below(4));
    for (Block& block : with) block = randomBlock();
    edit(first, count, with);
  }

  // Runs as the window does and returns how many blocks it read.
  std::size_t run() {
    std::size_t read_blocks = 0;
    const auto reader = [&](std::size_t first, std::size_t end) {
      read_blocks += end - first;
      return read(m_box, first, end);
    };
    std::optional<LineUpdate> update = plan_update(m_map, m_tracker.take(), m_box.size(), reader);
    if (!update) {
      update = plan_update(m_map, ChangeTracker::everything(), m_box.size(), reader);
      ++m_full_runs;
    }
    EXPECT_TRUE(update.has_value());
    if (!update) return read_blocks;
    const auto at = m_lines.begin() + static_cast<std::ptrdiff_t>(update->first_line);
    m_lines.erase(at, at + static_cast<std::ptrdiff_t>(update->old_lines));
    TextList lines;
    for (std::size_t i = 0; i < update->lines.size(); ++i) lines.emplace_back(update->line(i));
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(update->first_line), lines.begin(),
                   lines.end());
    m_map.replace(update->first_block, update->old_blocks, update->blocks);
    return read_blocks;
  }

  // Checks the kept lines and the map against a reading of the whole box from scratch.
  void check() const {
    const Text text = whole_text(m_box);
    ASSERT_EQ(m_lines, tavrel::text::split_lines(text, "\r\n"));
    ASSERT_EQ(m_map.blocks(), m_box.size());
    ASSERT_EQ(m_map.lines(), m_lines.size());
    const auto fresh = block_lines(read(m_box, 0, m_box.size()), true);
    ASSERT_TRUE(fresh.has_value());
    std::size_t long_blocks = 0;
    for (std::size_t i = 0; i < m_box.size(); ++i) {
      ASSERT_EQ(m_map.lines_in(i, 1), (*fresh)[i].ends) << "block " << i;
      ASSERT_EQ(m_map.joins(i), (*fresh)[i].joins) << "block " << i;
      long_blocks += (*fresh)[i].long_text ? 1 : 0;
    }
    ASSERT_EQ(m_map.long_blocks(), long_blocks);
  }

  std::size_t full_runs() const { return m_full_runs; }

 private:
  std::size_t below(std::size_t bound) { return m_random() % bound; }

  Block randomBlock() {
    // Mostly ordinary lines; some end in a lone lead byte, some hold line breaks of their own.
    static const char* const kTokens[] = {"1", "+2", "*3", "\x81", "\xB0\xA1", "a", "(", ""};
    Block block(below(8) == 0 ? 2 : 1);
    for (Text& piece : block) {
      for (std::size_t n = below(4); n > 0; --n) piece += kTokens[below(std::size(kTokens))];
    }
    return block;
  }

  std::mt19937 m_random;
  std::vector<Block> m_box{{""}};
  LineMap m_map;
  ChangeTracker m_tracker;
  TextList m_lines;
  std::size_t m_full_runs = 0;
};

TEST(PlanUpdate, RandomEditsGiveTheLinesOfTheWholeText) {
  for (std::uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    EditedBox box(seed);
    for (int step = 0; step < 300; ++step) {
      // One to three edits between two runs, as several changes can come before a run.
      for (int edits = 1 + step % 3; edits > 0; --edits) box.randomEdit();
      box.run();
      ASSERT_NO_FATAL_FAILURE(box.check());
    }
    EXPECT_EQ(box.full_runs(), 0u);
  }
}

TEST(PlanUpdate, ReadsOnlyTheLinesThatChanged) {
  EditedBox box(7);
  std::vector<Block> blocks(1000, Block{"1+1"});
  box.edit(0, 1, blocks);
  EXPECT_EQ(box.run(), 1000u);

  // Typing in block 500 reads block 500 alone.
  box.edit(500, 1, {{"1+12"}});
  EXPECT_EQ(box.run(), 1u);
  ASSERT_NO_FATAL_FAILURE(box.check());

  // A lone lead at the end of block 600 joins it to block 601: the run reads both.
  box.edit(600, 1, {{"1+1\x81"}});
  EXPECT_EQ(box.run(), 1u + 2u);  // 600 first, then 600 and 601 together
  ASSERT_NO_FATAL_FAILURE(box.check());

  // Typing in block 601 now starts the line at block 600.
  box.edit(601, 1, {{"1+13"}});
  EXPECT_EQ(box.run(), 2u);
  ASSERT_NO_FATAL_FAILURE(box.check());

  // Undoing the join reads 600 and, since it joined before, 601.
  box.edit(600, 1, {{"1+1"}});
  EXPECT_EQ(box.run(), 1u + 2u);
  ASSERT_NO_FATAL_FAILURE(box.check());
}

TEST(PlanUpdate, LongChainOfJoinedBlocksIsReadOnce) {
  // Every block ends in a lone lead: the whole box is one line. Changing the first block reads
  // the chain twice at most, never once per block.
  EditedBox box(3);
  std::vector<Block> blocks(2000, Block{"1\x81"});
  box.edit(0, 1, blocks);
  box.run();
  box.edit(0, 1, {{"2\x81"}});
  EXPECT_LE(box.run(), 2u * 2000u + 1u);
  ASSERT_NO_FATAL_FAILURE(box.check());
}

TEST(PlanUpdate, RefusesChangesThatDoNotFitTheMap) {
  LineMap map;  // one block
  const auto reader = [](std::size_t, std::size_t) { return BlockText{"", {1}, {false}}; };
  EXPECT_FALSE(plan_update(map, {}, 1, reader).has_value());            // nothing changed
  EXPECT_FALSE(plan_update(map, {true, 1, 0}, 1, reader).has_value());  // past the map's end
  EXPECT_FALSE(plan_update(map, {true, 0, 0}, 0, reader).has_value());  // a box of no blocks
  // Bytes that do not match the pieces read.
  const auto wrong = [](std::size_t, std::size_t) { return BlockText{"1\r\n2", {1}, {false}}; };
  EXPECT_FALSE(plan_update(map, ChangeTracker::everything(), 1, wrong).has_value());
}

}  // namespace
