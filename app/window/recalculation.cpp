// SPDX-License-Identifier: MIT
#include "app/window/recalculation.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <vector>

#include "app/window/box_text.h"
#include "app/window/edit_boxes.h"

namespace tavrel::window {
namespace {

// The result lines of a stretch of input lines, end to end, with where each one ends.
class ResultLines {
 public:
  void add(std::string_view line) {
    m_bytes.append(line);
    m_ends.push_back(m_bytes.size());
  }
  std::size_t size() const { return m_ends.size(); }

  // Returns result line i without its CR LF.
  std::string_view line(std::size_t i) const {
    const std::size_t start = i == 0 ? 0 : m_ends[i - 1];
    return std::string_view(m_bytes).substr(start, m_ends[i] - start - 2);
  }

  // Returns lines [first, end) as the result box takes them, each followed by a line break.
  QString box_lines(std::size_t first, std::size_t end) const {
    text::Text joined;
    joined.reserve(first < end ? m_ends[end - 1] - (first == 0 ? 0 : m_ends[first - 1]) : 0);
    for (std::size_t i = first; i < end; ++i) joined.append(line(i)).push_back('\n');
    return box_text(joined);
  }

 private:
  text::Text m_bytes;
  std::vector<std::size_t> m_ends;
};

// Result lines are made of formula characters, "=" and a number, all ASCII, so a block of the
// result box compares with their bytes as Latin-1.
bool same_line(QStringView shown, std::string_view line) {
  return shown == QLatin1StringView(line.data(), static_cast<qsizetype>(line.size()));
}

bool is_long(qsizetype length) {
  return length > PlainBox::kLongBlock;
}

}  // namespace

Recalculation::Recalculation(PlainBox& input, PlainBox& result, app::ResultCache& results,
                             eval::ScriptComponent& script, QObject* parent)
    : QObject(parent), m_input(input), m_result(result), m_results(results), m_script(script) {
  connect(input.document(), &QTextDocument::contentsChange, this,
          [this](int position, int, int added) { noteInputChange(position, added); });
  connect(result.document(), &QTextDocument::contentsChange, this, [this] { noteResultChange(); });
}

void Recalculation::run(std::string_view decimals, bool everything) {
  if (!m_synced || m_resultEdited || decimals != m_decimals || !resultMatchesMap()) {
    everything = true;
  }
  const bool whole = !m_synced || m_resultEdited || !resultMatchesMap();
  ChangeTracker::Stretch changed = m_changes.take();
  if (everything) changed = ChangeTracker::everything();
  if (!changed.any) {
    // Nothing to recompute; the result box still ends as a run leaves it.
    m_result.replaceRange(0, 0, QString());
    return;
  }

  const QTextDocument& input = *m_input.document();
  const auto read = [&input](std::size_t first, std::size_t end) {
    return block_text(input, first, end);
  };
  const auto blocks = static_cast<std::size_t>(input.blockCount());
  std::optional<LineUpdate> update = plan_update(m_map, changed, blocks, read);
  if (!update && !everything) {
    update = plan_update(m_map, ChangeTracker::everything(), blocks, read);
  }
  if (!update) return recalculateWithoutMap(decimals);

  std::vector<std::string_view> lines;
  lines.reserve(update->lines.size());
  for (std::size_t i = 0; i < update->lines.size(); ++i) lines.push_back(update->line(i));
  writeResults(update->first_line, update->old_lines, lines, decimals, whole);
  m_map.replace(update->first_block, update->old_blocks, update->blocks);
  m_decimals = decimals;
  m_synced = true;
  if (m_map.long_blocks() == 0) m_input.relaxWrapping();
}

void Recalculation::recalculateWithoutMap(std::string_view decimals) {
  // The blocks did not read as the map expects (which the toolkit's documents never cause):
  // take the lines from the whole text, write the result box whole, and start the map afresh at
  // the next run.
  const text::TextList lines = text::split_lines(core_text(m_input.toPlainText()), "\r\n");
  const std::vector<std::string_view> views(lines.begin(), lines.end());
  writeResults(0, 0, views, decimals, true);
  m_map.clear();
  m_decimals = decimals;
  m_synced = false;
}

void Recalculation::writeResults(std::size_t first_line, std::size_t old_lines,
                                 std::span<const std::string_view> lines, std::string_view decimals,
                                 bool whole) {
  ResultLines results;
  for (const std::string_view line : lines) {
    results.add(m_results.result_line(line, decimals, m_script));
  }

  QTextDocument& shown = *m_result.document();
  std::size_t same_front = 0;
  std::size_t same_back = 0;
  int from = 0;
  int to = shown.characterCount() - 1;
  if (whole) {
    m_longResults = 0;
    for (std::size_t i = 0; i < results.size(); ++i)
      m_longResults += is_long(results.line(i).size());
  } else {
    // The result box holds the map's lines, one block each, and an empty last block.
    const QString old = raw_blocks(shown, first_line, first_line + old_lines);
    std::vector<QStringView> before;
    before.reserve(old_lines);
    for (const QStringView line : QStringView(old).tokenize(QChar(QChar::ParagraphSeparator))) {
      if (before.size() == old_lines) break;
      before.push_back(line);
    }
    // Keep the lines that are the same at either end of the stretch.
    const std::size_t common =
        before.size() == old_lines ? std::min(before.size(), results.size()) : 0;
    while (same_front < common && same_line(before[same_front], results.line(same_front))) {
      ++same_front;
    }
    while (same_front + same_back < common &&
           same_line(before[before.size() - 1 - same_back],
                     results.line(results.size() - 1 - same_back))) {
      ++same_back;
    }
    for (std::size_t i = same_front; i + same_back < before.size(); ++i) {
      m_longResults -= std::min<std::size_t>(m_longResults, is_long(before[i].size()));
    }
    for (std::size_t i = same_front; i + same_back < results.size(); ++i) {
      m_longResults += is_long(results.line(i).size());
    }
    from = shown.findBlockByNumber(static_cast<int>(first_line + same_front)).position();
    to = shown.findBlockByNumber(static_cast<int>(first_line + old_lines - same_back)).position();
  }

  m_writing = true;
  m_result.replaceRange(from, to, results.box_lines(same_front, results.size() - same_back));
  m_writing = false;
  m_resultEdited = false;
  if (m_longResults == 0) m_result.relaxWrapping();
}

bool Recalculation::resultMatchesMap() const {
  const QTextDocument& shown = *m_result.document();
  return static_cast<std::size_t>(shown.blockCount()) == m_map.lines() + 1 &&
         shown.lastBlock().length() == 1;
}

void Recalculation::noteInputChange(int position, int added) {
  const QTextDocument& input = *m_input.document();
  const auto blocks = static_cast<std::size_t>(input.blockCount());
  const QTextBlock first = input.findBlock(position);
  const QTextBlock last =
      input.findBlock(std::clamp(position + added, 0, input.characterCount() - 1));
  if (!first.isValid() || !last.isValid()) return m_changes.note(0, blocks - 1, blocks);
  m_changes.note(static_cast<std::size_t>(first.blockNumber()),
                 static_cast<std::size_t>(last.blockNumber()), blocks);
}

void Recalculation::noteResultChange() {
  if (!m_writing) m_resultEdited = true;
}

}  // namespace tavrel::window
