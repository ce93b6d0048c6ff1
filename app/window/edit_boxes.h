// SPDX-License-Identifier: MIT
// The edit boxes of the main window: the two multi-line boxes and the decimal places box.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

namespace tavrel::window {

// A multi-line edit box: wraps at its width, has no scroll bars, and reports every change of its
// text once through changed(), its own replace and append included.
class PlainBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit PlainBox(QWidget* parent = nullptr);

  // Replaces the whole text; changed() follows exactly once, also when the text is the same.
  void replaceText(const QString& text);

  // Puts the caret after the last character, scrolls it into view and inserts text there as if
  // typed, without an undo step; changed() follows exactly once.
  void appendText(const QString& text);

  // Replaces the characters [from, to) with text in one edit without an undo step, then puts the
  // caret after the last character and scrolls it into view; changed() follows exactly once,
  // also when nothing is replaced.
  void replaceRange(int from, int to, const QString& text);

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

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void watchBlockLengths(int position, int added);

  bool m_quiet = false;  // true while replaceText, appendText or replaceRange edit
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
  void tidy();
};

}  // namespace tavrel::window
