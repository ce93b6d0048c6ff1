// SPDX-License-Identifier: MIT
#include "app/window/edit_boxes.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <limits>

#include "app/qt/code_page.h"
#include "app/decimals.h"

namespace tavrel::window {
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
    if (app::accepts_decimals_char(code)) kept.append(QString::fromUcs4(&code, 1));
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
  connect(document(), &QTextDocument::contentsChange, this,
          [this](int position, int, int added) { watchBlockLengths(position, added); });
}

void PlainBox::replaceText(const QString& text) {
  m_quiet = true;
  setPlainText(text);
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

void PlainBox::replaceRange(int from, int to, const QString& text) {
  m_quiet = true;
  if (from != to || !text.isEmpty()) {
    // Switching undo off and on again drops the undo steps, as appendText does.
    document()->setUndoRedoEnabled(false);
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.insertText(text);
    cursor.endEditBlock();
    document()->setUndoRedoEnabled(true);
  }
  moveCursor(QTextCursor::End);
  ensureCursorVisible();
  m_quiet = false;
  emit changed();
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
  if (event->reason() != Qt::PopupFocusReason) tidy();
  QLineEdit::focusOutEvent(event);
}

void DecimalsBox::tidy() {
  const text::Text before = app::qt::to_gbk(text());
  const text::Text after = app::tidy_decimals(before);
  if (after == before) return;
  const int start = hasSelectedText() ? selectionStart() : cursorPosition();
  setText(app::qt::from_gbk(after));
  setCursorPosition(std::min<int>(start, static_cast<int>(text().size())));
}

}  // namespace tavrel::window
