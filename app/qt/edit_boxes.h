// SPDX-License-Identifier: MIT
// The edit boxes of the main window: the two multi-line boxes and the decimal places box.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <cstddef>
#include <string_view>

#include "app/live_run.h"

namespace tavrel::app::qt {

// A multi-line edit box: wraps at its width, has no scroll bars, and reports every change of its
// text once through changed(), its own replace and append included.
class PlainBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit PlainBox(QWidget* parent = nullptr);

  // Replaces the whole text in one edit, an undo step when `undoable`; changed() follows exactly
  // once, also when the text is the same.
  void replaceText(const QString& text, bool undoable);

  // Inserts text before the first character in one edit, an undo step; changed() follows once.
  void insertAtStart(const QString& text);

  // Puts the caret after the last character, scrolls it into view and inserts text there as if
  // typed, without an undo step; changed() follows exactly once.
  void appendText(const QString& text);

  // Replaces lines [first, end) (to the end for ResultBox::kToTheEnd), their line breaks
  // included, with `lines` (GBK, each line ending with CR LF) in one edit without an undo step;
  // the change is reported by showEnd, which ends every run.
  void replaceLines(std::size_t first, std::size_t end, std::string_view lines);

  // Puts the caret after the last character and scrolls it into view; changed() follows once.
  void showEnd();

  // Returns blocks [first, end) as the box's text reads them.
  BlockText readBlocks(std::size_t first, std::size_t end) const;

  // Returns the number of blocks.
  std::size_t blockCount() const;

  // Wraps at word boundaries again, as the box does until a block longer than kLongBlock comes
  // in; the caller knows when none is left.
  void relaxWrapping();

  // Blocks longer than this many characters are wrapped anywhere: breaking a long run of
  // characters without a break opportunity at word boundaries costs the toolkit time that grows
  // with the square of the run's length.
  static constexpr int kLongBlock = 4096;

 signals:
  // Raised once for each change of the text: typing, pasting, cutting, deleting, undoing,
  // replaceText and appendText.
  void changed();

  // Raised by a double-click before the box itself handles it.
  void doubleClicked();

  // Raised for every change of the text, before changed(): blocks first..last (both included)
  // of the box's count blocks are new or altered.
  void blocksChanged(std::size_t first, std::size_t last, std::size_t count);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void watchBlockLengths(int position, int added);
  void reportBlocks(int position, int added);

  bool m_quiet = false;  // true while replaceText, appendText or replaceLines edit
  bool m_wrapAnywhere = false;
};

// The decimal places box: one line that takes integer input. Typed characters other than "-"
// and "0" to "9" are dropped (control keys and pasting pass); losing the focus tidies the text.
class DecimalsBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit DecimalsBox(QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // Tidies the text; returns false when that changed it.
  bool tidy();
};

}  // namespace tavrel::app::qt
