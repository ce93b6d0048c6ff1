// SPDX-License-Identifier: MIT
#include "app/live_run.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/run_calculation.h"
#include "tests/app/recording_boxes.h"

namespace tavrel::app {
namespace {

// A fake front end: an input box of blocks (each may hold line breaks of its own, as CR LF) and
// a result box of CR LF lines, counting what the live run reads and writes.
class FakeWindow : public InputBlocks, public ResultBox {
 public:
  std::vector<text::Text> blocks{text::Text()};
  text::Text result;
  std::size_t blocks_read = 0;
  std::size_t lines_written = 0;
  std::size_t writes = 0;
  std::size_t shows = 0;

  std::size_t block_count() override { return blocks.size(); }
  BlockText read_blocks(std::size_t first, std::size_t end) override {
    BlockText stretch;
    for (std::size_t i = first; i < end; ++i) {
      stretch.bytes.append(i > first ? "\r\n" : "").append(blocks[i]);
      std::uint32_t breaks = 0;
      for (std::size_t at = blocks[i].find("\r\n"); at != std::string::npos;
           at = blocks[i].find("\r\n", at + 2)) {
        ++breaks;
      }
      stretch.pieces.push_back(breaks + 1);
    }
    blocks_read += end - first;
    return stretch;
  }
  void replace_lines(std::size_t first, std::size_t end, std::string_view lines) override {
    const std::size_t from = offset_of_line(first);
    const std::size_t to = end == kToTheEnd ? result.size() : offset_of_line(end);
    result.replace(from, to - from, lines);
    ++writes;
    for (char c : lines) lines_written += c == '\n' ? 1 : 0;
  }
  void show_end() override { ++shows; }

  text::Text input_text() const {
    text::Text t;
    for (std::size_t i = 0; i < blocks.size(); ++i) t.append(i ? "\r\n" : "").append(blocks[i]);
    return t;
  }

 private:
  std::size_t offset_of_line(std::size_t line) const {
    std::size_t at = 0;
    for (std::size_t i = 0; i < line; ++i) at = result.find("\r\n", at) + 2;
    return at;
  }
};

// What a full run from scratch leaves in the result box.
text::Text full_run(const text::Text& input, const text::Text& decimals) {
  testing::RecordingBoxes boxes(input, decimals);
  eval::ScriptComponent script;
  run_calculation(boxes, script);
  return boxes.result;
}

class LiveRunTest : public ::testing::Test {
 protected:
  // Replaces blocks [first, first + count) with `with` and tells the run.
  void edit_blocks(std::size_t first, std::size_t count, std::vector<text::Text> with) {
    auto at = window.blocks.begin() + static_cast<std::ptrdiff_t>(first);
    at = window.blocks.erase(at, at + static_cast<std::ptrdiff_t>(count));
    window.blocks.insert(at, with.begin(), with.end());
    if (window.blocks.empty()) window.blocks.emplace_back();
    const std::size_t last = first + std::max<std::size_t>(with.size(), 1) - 1;
    live.note_input_change(first, last, window.blocks.size());
  }

  FakeWindow window;
  ResultCache cache;
  eval::ScriptComponent script;
  LiveRun live{window, cache, script, 64};
};

TEST_F(LiveRunTest, FirstRunWritesTheWholeResult) {
  window.blocks = {"1+1",
                   "\xA3\xB3"
                   "apples+4",
                   "", "7/0"};
  live.run(window, "", false);
  EXPECT_EQ(window.result, "1+1=2\r\n3+4=7\r\n=0\r\n7/0=1.#INF\r\n");
  EXPECT_EQ(window.shows, 1u);
}

TEST_F(LiveRunTest, LinesFollowTheTextAsSplitLinesCutsIt) {
  struct row {
    const char* name;
    std::vector<text::Text> blocks;
    text::Text result;
  };
  const row rows[] = {
      {"empty", {""}, ""},
      {"final_break_gives_no_line", {"1", ""}, "1=1\r\n"},
      {"only_breaks", {"", "", ""}, "=0\r\n=0\r\n"},
      // A line break inside a block (U+2028 in the Qt box) separates lines too.
      {"break_inside_block", {"1\r\n2", "3"}, "1=1\r\n2=2\r\n3=3\r\n"},
      {"break_inside_last_block", {"1\r\n"}, "1=1\r\n"},
      // The euro sign 80 is one character: the break after it stays a break.
      {"euro_at_line_ends", {"5\x80", "3\x80", "\x80"}, "5=5\r\n3=3\r\n=0\r\n"},
      {"lone_cr_and_lf_stay_inside", {"1\r2\n3"}, "123=123\r\n"},
  };
  for (const row& r : rows) {
    FakeWindow w;
    ResultCache c;
    LiveRun run(w, c, script);
    w.blocks = r.blocks;
    run.run(w, "", false);
    EXPECT_EQ(w.result, r.result) << r.name;
    EXPECT_EQ(w.result, full_run(w.input_text(), "")) << r.name;
  }
}

TEST_F(LiveRunTest, KeystrokeReadsAndWritesOneLine) {
  window.blocks.assign(1000, "1+1");
  live.run(window, "", false);
  const std::size_t computed = cache.computed();
  window.blocks_read = window.lines_written = window.writes = 0;

  window.blocks[500] = "1+12";
  live.note_input_change(500, 500, window.blocks.size());
  live.run(window, "", false);
  EXPECT_EQ(window.blocks_read, 1u);
  EXPECT_EQ(window.writes, 1u);
  EXPECT_EQ(window.lines_written, 1u);
  EXPECT_EQ(cache.computed(), computed + 1);
  EXPECT_EQ(window.result, full_run(window.input_text(), ""));

  // An edit that gives the same result line writes nothing, yet the caret still goes to the end.
  window.blocks[500] = "1+ 12";
  live.note_input_change(500, 500, window.blocks.size());
  const std::size_t shows = window.shows;
  live.run(window, "", false);
  EXPECT_EQ(window.writes, 1u);
  EXPECT_EQ(window.shows, shows + 1);
}

TEST_F(LiveRunTest, DecimalsChangeRecomputesEveryLine) {
  window.blocks = {"1/3", "2"};
  live.run(window, "", false);
  live.run(window, "2", false);
  EXPECT_EQ(window.result, "1/3=0.33\r\n2=2.00\r\n");
  // The calculate button recomputes everything even without a change; the cache answers.
  const std::size_t computed = cache.computed();
  live.run(window, "2", true);
  EXPECT_EQ(window.result, "1/3=0.33\r\n2=2.00\r\n");
  EXPECT_EQ(cache.computed(), computed);
}

TEST_F(LiveRunTest, ResultBoxEditedByHandIsWrittenWhole) {
  window.blocks = {"1", "2"};
  live.run(window, "", false);
  window.result = "typed over";
  live.note_result_change();
  live.run(window, "", false);
  EXPECT_EQ(window.result, "1=1\r\n2=2\r\n");
}

TEST_F(LiveRunTest, OwnWritesAreNotHandEdits) {
  // A result box that reports every change, as the toolkit's does, also the run's own.
  struct Reporting : FakeWindow {
    LiveRun* run = nullptr;
    void replace_lines(std::size_t first, std::size_t end, std::string_view lines) override {
      FakeWindow::replace_lines(first, end, lines);
      run->note_result_change();
    }
  } w;
  ResultCache c;
  LiveRun run(w, c, script);
  w.run = &run;
  w.blocks.assign(100, "1");
  run.run(w, "", false);
  w.blocks[50] = "2";
  run.note_input_change(50, 50, 100);
  w.writes = w.lines_written = 0;
  run.run(w, "", false);
  EXPECT_EQ(w.lines_written, 1u);
}

TEST_F(LiveRunTest, LongLinesAreCounted) {
  window.blocks = {std::string(100, '1'), "2"};
  live.run(window, "", false);
  EXPECT_TRUE(live.has_long_input_lines());
  EXPECT_TRUE(live.has_long_result_lines());
  edit_blocks(0, 1, {"3"});
  live.run(window, "", false);
  EXPECT_FALSE(live.has_long_input_lines());
  EXPECT_FALSE(live.has_long_result_lines());
}

// Tokens that random edits are made of: characters of one and two bytes, line breaks, the
// euro sign that once swallowed them, and lone CR and LF.
const char* const kTokens[] = {"1",    "2",        "+",        "-",        "*",        "/",
                               "^",    "(",        ")",        ".",        " ",        "a",
                               "\x80", "\xA3\xB3", "\xA3\xAB", "\xA1\xC1", "\xD4\xAA", "\r\n",
                               "\r\n", "\r",       "\n",       "9^5",      "1e5"};

text::Text random_text(std::mt19937& random, std::size_t max_tokens) {
  text::Text t;
  const std::size_t n = random() % (max_tokens + 1);
  for (std::size_t i = 0; i < n; ++i) t += kTokens[random() % std::size(kTokens)];
  return t;
}

// Blocks of random text; a line break inside a block stays inside it.
std::vector<text::Text> random_blocks(std::mt19937& random, std::size_t max_blocks) {
  std::vector<text::Text> blocks(random() % (max_blocks + 1));
  for (text::Text& b : blocks) b = random_text(random, 6);
  return blocks;
}

const char* const kDecimals[] = {"", "", "", "2", "0", "-1"};

TEST_F(LiveRunTest, RandomEditsByBlocksEqualAFullRun) {
  std::mt19937 random(20261211);
  std::vector<std::vector<text::Text>> history;
  text::Text decimals;
  for (int step = 0; step < 3000; ++step) {
    history.push_back(window.blocks);
    const std::size_t count = window.blocks.size();
    switch (random() % 8) {
      case 0: {  // undo: back to an earlier state, the changed blocks found as the toolkit does
        const std::vector<text::Text> earlier = history[random() % history.size()];
        std::size_t front = 0;
        while (front < std::min(count, earlier.size()) - 1 &&
               window.blocks[front] == earlier[front])
          ++front;
        window.blocks = earlier;
        live.note_input_change(front, window.blocks.size() - 1, window.blocks.size());
        break;
      }
      case 1:  // the decimal places box
        decimals = kDecimals[random() % std::size(kDecimals)];
        break;
      case 2:  // the result box typed into by hand
        window.result.insert(random() % (window.result.size() + 1), "x\r\n");
        live.note_result_change();
        break;
      case 3: {  // a paste or delete across several blocks
        const std::size_t first = random() % count;
        const std::size_t removed = std::min<std::size_t>(count - first, 1 + random() % 3);
        edit_blocks(first, removed, random_blocks(random, 5));
        break;
      }
      default: {  // typing in one block, Enter now and then
        const std::size_t b = random() % count;
        text::Text block = window.blocks[b];
        block += kTokens[random() % std::size(kTokens)];
        if (random() % 6 == 0) {
          edit_blocks(b, 1, {block, text::Text()});
        } else {
          edit_blocks(b, 1, {block});
        }
        break;
      }
    }
    if (window.blocks.size() > 60) edit_blocks(0, window.blocks.size() - 60, {});
    window.shows = 0;
    live.run(window, decimals, random() % 20 == 0);
    ASSERT_EQ(window.result, full_run(window.input_text(), decimals)) << "step " << step;
    ASSERT_EQ(window.shows, 1u);
  }
}

TEST_F(LiveRunTest, RandomEditsOfTheWholeTextEqualAFullRun) {
  std::mt19937 random(99);
  std::vector<text::Text> tokens;  // the input text, token by token
  std::vector<std::vector<text::Text>> history;
  text::Text decimals;
  const auto text_of = [&tokens] {
    text::Text t;
    for (const text::Text& token : tokens) t += token;
    return t;
  };
  for (int step = 0; step < 3000; ++step) {
    history.push_back(tokens);
    switch (random() % 8) {
      case 0:  // undo
        tokens = history[random() % history.size()];
        break;
      case 1:
        decimals = kDecimals[random() % std::size(kDecimals)];
        break;
      case 2:
        window.result.insert(random() % (window.result.size() + 1), "7");
        live.note_result_change();
        break;
      default: {  // replace a run of tokens: typing, deleting across line breaks, pasting
        const std::size_t from = random() % (tokens.size() + 1);
        const std::size_t to = std::min(tokens.size(), from + random() % 4);
        std::vector<text::Text> with(random() % 4);
        for (text::Text& t : with) t = kTokens[random() % std::size(kTokens)];
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(from),
                     tokens.begin() + static_cast<std::ptrdiff_t>(to));
        tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(from), with.begin(), with.end());
        break;
      }
    }
    if (tokens.size() > 300) tokens.erase(tokens.begin(), tokens.begin() + 100);
    const text::Text input = text_of();
    window.shows = 0;
    live.run_text(input, decimals, random() % 20 == 0);
    ASSERT_EQ(window.result, full_run(input, decimals)) << "step " << step;
    ASSERT_EQ(window.shows, 1u);
  }
}

TEST_F(LiveRunTest, WholeTextKeystrokeWritesOneLine) {
  text::Text input;
  for (int i = 0; i < 1000; ++i) input += "1+1\r\n";
  live.run_text(input, "", false);
  window.writes = window.lines_written = 0;
  input.insert(500 * 5 + 3, "2");  // "1+12" on line 500
  live.run_text(input, "", false);
  EXPECT_EQ(window.writes, 1u);
  EXPECT_EQ(window.lines_written, 1u);
  EXPECT_EQ(window.result, full_run(input, ""));
}

}  // namespace
}  // namespace tavrel::app
