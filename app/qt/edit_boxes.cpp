// SPDX-License-Identifier: MIT
#include "app/qt/edit_boxes.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <limits>
#include <utility>

#include "app/decimals.h"
#include "app/qt/box_text.h"
#include "app/qt/code_page.h"

namespace tavrel::app::qt {
namespace {

// Black text on white; the selection is hidden while the box does not have the focus.
void set_edit_colours(QWidget* box) {
  QPalette palette = box->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
  box->setPalette(palette);
}

// Returns the characters of text that the decimal places box lets in.
QString typable(const QString& text) {
  QString kept;
  for (const char32_t code : text.toUcs4()) {
    if (accepts_decimals_char(code)) kept.append(QString::fromUcs4(&code, 1));
  }
  return kept;
}

// Returns true when the key event types characters into the box rather than working a control
// key: it carries printable text and no Ctrl, Alt or Meta (Ctrl+V gives "v" on some platforms).
bool types_characters(const QKeyEvent& event) {
  const auto codes = event.text().toUcs4();  // a surrogate pair as one character
  const auto commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  return !codes.isEmpty() && QChar::isPrint(codes.front()) && !(event.modifiers() & commands);
}

// Returns blocks [first, end) of the document as it stores them, each followed by U+2029 except
// the document's last block.
QString raw_blocks(const QTextDocument& document, std::size_t first, std::size_t end) {
  const auto count = static_cast<std::size_t>(document.blockCount());
  end = std::min(end, count);
  if (first >= end) return {};
  const QTextBlock from = document.findBlockByNumber(static_cast<int>(first));
  // A long stretch is cheaper to cut out of the whole text than to collect block by block.
  if ((end - first) * 4 > count) {
    QString all = document.toRawText();
    const int start = from.position();
    if (end == count) return start == 0 ? all : all.mid(start);
    return all.mid(start, document.findBlockByNumber(static_cast<int>(end)).position() - start);
  }
  QString raw;
  std::size_t i = first;
  for (QTextBlock block = from; block.isValid() && i < end; block = block.next(), ++i) {
    raw += block.text();
    if (i + 1 < count) raw += QChar(QChar::ParagraphSeparator);
  }
  return raw;
}

// Returns blocks [first, end) of a multi-line box as its text reads them (every line break as
// CR LF, a no-break space as a blank, as core_text of the box's text gives them), with the
// number of pieces its own line breaks cut each block into.
BlockText block_text(const QTextDocument& document, std::size_t first, std::size_t end) {
  QString raw = raw_blocks(document, first, end);
  const bool at_end = end >= static_cast<std::size_t>(document.blockCount());
  BlockText stretch;
  std::uint32_t pieces = 1;
  // The same characters that the document's toPlainText turns into line breaks and blanks.
  for (QChar& c : raw) {
    switch (c.unicode()) {
      case QChar::ParagraphSeparator:
        c = QLatin1Char('\n');
        stretch.pieces.push_back(pieces);
        pieces = 1;
        continue;
      case QChar::LineSeparator:
      case 0xFDD0:  // beginning of a frame
      case 0xFDD1:  // end of a frame
        c = QLatin1Char('\n');
        ++pieces;
        break;
      case QChar::Nbsp:
        c = QLatin1Char(' ');
        break;
      default:
        break;
    }
  }
  if (at_end && first < end) stretch.pieces.push_back(pieces);
  stretch.bytes = core_text(raw);
  // Converted with the break after it, the stretch reads as its part of the whole text (a lone
  // surrogate at its end is "?", as there); the break itself is not part of it.
  if (!at_end && first < end) stretch.bytes.resize(stretch.bytes.size() - 2);
  return stretch;
}

// Returns where blocks [first, end) of a document begin and end as character positions, the
// break after the last one included; an end past the last block means the document's end.
std::pair<int, int> line_range(const QTextDocument& document, std::size_t first, std::size_t end) {
  const auto count = static_cast<std::size_t>(document.blockCount());
  const auto position = [&](std::size_t line) {
    if (line >= count) return document.characterCount() - 1;
    return document.findBlockByNumber(static_cast<int>(line)).position();
  };
  return {position(first), position(end)};
}

// Returns the first and the last block that a change of `added` characters at `position` left
// new or altered.
std::pair<std::size_t, std::size_t> changed_blocks(const QTextDocument& document, int position,
                                                   int added) {
  const QTextBlock first = document.findBlock(position);
  const QTextBlock last =
      document.findBlock(std::clamp(position + added, 0, document.characterCount() - 1));
  const auto count = static_cast<std::size_t>(document.blockCount());
  if (!first.isValid() || !last.isValid()) return {0, count - 1};
  return {static_cast<std::size_t>(first.blockNumber()),
          static_cast<std::size_t>(last.blockNumber())};
}

}  // namespace

PlainBox::PlainBox(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTabChangesFocus(true);  // the boxes are tab stops
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  set_edit_colours(this);
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (!m_quiet) emit changed();
  });
  // The document reports a change before it lays the changed blocks out, so the wrap mode can
  // still change in time.
  connect(document(), &QTextDocument::contentsChange, this, [this](int position, int, int added) {
    watchBlockLengths(position, added);
    reportBlocks(position, added);
  });
}

void PlainBox::replaceText(const QString& text, bool undoable) {
  m_quiet = true;
  if (undoable) {
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(text);
    cursor.endEditBlock();
    setTextCursor(cursor);
  } else {
    setPlainText(text);
  }
  m_quiet = false;
  emit changed();
}

void PlainBox::insertAtStart(const QString& text) {
  m_quiet = true;
  QTextCursor(document()).insertText(text);  // a new cursor stands at the start
  m_quiet = false;
  emit changed();
}

void PlainBox::appendText(const QString& text) {
  moveCursor(QTextCursor::End);
  ensureCursorVisible();
  m_quiet = true;
  // Switching undo off and on again drops the undo steps, so the append cannot be undone.
  document()->setUndoRedoEnabled(false);
  insertPlainText(text);
  document()->setUndoRedoEnabled(true);
  ensureCursorVisible();  // as typing keeps the caret in view
  m_quiet = false;
  emit changed();
}

void PlainBox::replaceLines(std::size_t first, std::size_t end, std::string_view lines) {
  // Result lines hold no CR but in the CR LF that ends each; the box's line break is LF.
  text::Text lf(lines);
  std::erase(lf, '\r');
  const QString text = box_text(lf);
  const auto [from, to] = line_range(*document(), first, end);
  m_quiet = true;
  // Switching undo off and on again drops the undo steps, as appendText does.
  document()->setUndoRedoEnabled(false);
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  cursor.setPosition(from);
  cursor.setPosition(to, QTextCursor::KeepAnchor);
  cursor.insertText(text);
  cursor.endEditBlock();
  document()->setUndoRedoEnabled(true);
  m_quiet = false;
}

void PlainBox::showEnd() {
  moveCursor(QTextCursor::End);
  ensureCursorVisible();
  emit changed();
}

BlockText PlainBox::readBlocks(std::size_t first, std::size_t end) const {
  return block_text(*document(), first, end);
}

std::size_t PlainBox::blockCount() const {
  return static_cast<std::size_t>(document()->blockCount());
}

void PlainBox::reportBlocks(int position, int added) {
  const auto [first, last] = changed_blocks(*document(), position, added);
  emit blocksChanged(first, last, blockCount());
}

void PlainBox::relaxWrapping() {
  if (!m_wrapAnywhere) return;
  m_wrapAnywhere = false;
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void PlainBox::watchBlockLengths(int position, int added) {
  QTextDocument* doc = document();
  if (m_wrapAnywhere) {
    if (doc->characterCount() <= kLongBlock) relaxWrapping();
    return;
  }
  const QTextBlock last = doc->findBlock(std::min(position + added, doc->characterCount() - 1));
  for (QTextBlock block = doc->findBlock(position); block.isValid(); block = block.next()) {
    if (block.length() - 1 > kLongBlock) {  // the length counts the block's line break
      m_wrapAnywhere = true;
      setWordWrapMode(QTextOption::WrapAnywhere);
      return;
    }
    if (block == last) break;
  }
}

void PlainBox::mouseDoubleClickEvent(QMouseEvent* event) {
  emit doubleClicked();
  QPlainTextEdit::mouseDoubleClickEvent(event);
}

DecimalsBox::DecimalsBox(QWidget* parent) : QLineEdit(parent) {
  setMaxLength(std::numeric_limits<int>::max());
  set_edit_colours(this);
}

void DecimalsBox::keyPressEvent(QKeyEvent* event) {
  if (!types_characters(*event)) return QLineEdit::keyPressEvent(event);
  const QString kept = typable(event->text());
  if (kept == event->text()) return QLineEdit::keyPressEvent(event);
  if (!kept.isEmpty()) insert(kept);
  event->accept();
}

void DecimalsBox::inputMethodEvent(QInputMethodEvent* event) {
  const QString kept = typable(event->commitString());
  if (kept == event->commitString()) return QLineEdit::inputMethodEvent(event);
  QInputMethodEvent filtered(event->preeditString(), event->attributes());
  filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
  QLineEdit::inputMethodEvent(&filtered);
  event->setAccepted(filtered.isAccepted());
}

void DecimalsBox::focusOutEvent(QFocusEvent* event) {
  // A context menu takes the focus only for as long as it is open.
  if (event->reason() == Qt::PopupFocusReason) return QLineEdit::focusOutEvent(event);
  const int start = selectionStart();
  const qsizetype length = selectedText().size();
  const bool kept = tidy();
  QLineEdit::focusOutEvent(event);
  // The selection stays, hidden while the box lacks the focus, unless the tidy replaced the text.
  if (kept && start >= 0 && length > 0) setSelection(start, static_cast<int>(length));
}

bool DecimalsBox::tidy() {
  const text::Text before = to_gbk(text());
  const text::Text after = tidy_decimals(before);
  if (after == before) return true;
  const int start = hasSelectedText() ? selectionStart() : cursorPosition();
  setText(from_gbk(after));
  setCursorPosition(std::min<int>(start, static_cast<int>(text().size())));
  return false;
}

}  // namespace tavrel::app::qt
