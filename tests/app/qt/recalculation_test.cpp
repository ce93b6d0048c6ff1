// SPDX-License-Identifier: MIT
// The window's incremental calculation run: after every edit the result box holds, byte for
// byte, what a run over all lines from scratch writes, while the run reads and recomputes only
// the lines an edit touched and never changes the input box.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "app/qt/box_text.h"
#include "app/qt/edit_boxes.h"
#include "app/qt/hyperlinker.h"
#include "app/qt/main_window.h"
#include "app/result_cache.h"
#include "app/run_calculation.h"
#include "app/window_rules.h"
#include "eval/script_component.h"
#include "tests/app/qt/controls.h"
#include "tests/app/qt/full_run.h"
#include "tests/app/qt/typing.h"

using tavrel::app::Box;
using tavrel::app::qt::MainWindow;
using tavrel::app::qt::PlainBox;
using tavrel::app::qt::testing::fullRunResult;
using tavrel::app::qt::testing::typeText;
namespace form = tavrel::app::form;

namespace {

QByteArray bytes(const std::string& t) {
  return QByteArray::fromStdString(t);
}

// Places the caret of a box at a character position, with the anchor at another.
void select(QPlainTextEdit* box, int anchor, int position) {
  QTextCursor cursor = box->textCursor();
  const int end = box->document()->characterCount() - 1;
  cursor.setPosition(std::clamp(anchor, 0, end));
  cursor.setPosition(std::clamp(position, 0, end), QTextCursor::KeepAnchor);
  box->setTextCursor(cursor);
}

}  // namespace

class RecalculationTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void linesAsTheWholeTextSplits_data();
  void linesAsTheWholeTextSplits();
  void boxTextReadsAsGetText();
  void keystrokeRecomputesOneLine();
  void decimalsTakeEffectAtTheNextRun();
  void oneEditPerRun();
  void endsAsTheFullRunLeavesIt();
  void resultEditsAreRewritten();
  void inputNeverChangesByARun();
  void randomEdits();
  void longLinesWrapAnywhere();
  void largePasteStaysUsable();

 private:
  template <typename T = QWidget>
  T* control(const char* name) const {
    return tavrel::app::qt::testing::findControl<T>(*m_window, name);
  }
  PlainBox* input() const { return control<PlainBox>(form::kInput.name); }
  PlainBox* result() const { return control<PlainBox>(form::kResult.name); }
  QLineEdit* decimals() const { return control<QLineEdit>(form::kDecimals.name); }
  QByteArray boxText(Box box) const { return bytes(m_window->get_text(box)); }
  QByteArray expected() const {
    return fullRunResult(m_window->get_text(Box::input), m_window->get_text(Box::decimals));
  }
  void paste(QWidget* box, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
  }
  void clickCalculate() { QTest::mouseClick(control(form::kCalculate.name), Qt::LeftButton); }
  void pressAbout() {
    QTest::mousePress(control(form::kLink.name), Qt::LeftButton);
    QTest::mouseRelease(control(form::kLink.name), Qt::LeftButton);
  }
  // Checks the state a run over all lines leaves: its text, the caret at the end with nothing
  // selected, the end in view and nothing to undo.
  void checkResultBox(const QByteArray& text) const;

  std::unique_ptr<tavrel::app::ResultCache> m_results;
  std::unique_ptr<MainWindow> m_window;
};

void RecalculationTest::init() {
  m_results = std::make_unique<tavrel::app::ResultCache>();
  m_window = std::make_unique<MainWindow>(*m_results);
  m_window->show();
  QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void RecalculationTest::cleanup() {
  m_window.reset();
  m_results.reset();
}

void RecalculationTest::checkResultBox(const QByteArray& text) const {
  QCOMPARE(boxText(Box::result), text);
  const QPlainTextEdit* box = result();
  QCOMPARE(box->textCursor().position(), box->document()->characterCount() - 1);
  QVERIFY(!box->textCursor().hasSelection());
  QVERIFY(box->viewport()->rect().contains(box->cursorRect()));
  QVERIFY(!box->document()->isUndoAvailable());
}

void RecalculationTest::linesAsTheWholeTextSplits_data() {
  QTest::addColumn<QString>("pasted");
  QTest::addColumn<QByteArray>("resultBytes");

  QTest::newRow("empty") << QString() << QByteArray();
  QTest::newRow("one_line") << "1+1" << QByteArray("1+1=2\r\n");
  // A final line break gives no result line for the empty remainder.
  QTest::newRow("final_break") << "1+1\n" << QByteArray("1+1=2\r\n");
  QTest::newRow("empty_line_inside") << "1\n\n2" << QByteArray("1=1\r\n=0\r\n2=2\r\n");
  QTest::newRow("only_breaks") << "\n\n" << QByteArray("=0\r\n=0\r\n");
  // U+2028 stays inside its block but reads as a line break.
  QTest::newRow("line_separator") << "1\u20282" << QByteArray("1=1\r\n2=2\r\n");
  QTest::newRow("line_separator_last") << "1\u2028" << QByteArray("1=1\r\n");
  // € is the one GBK byte 0x80, a character of its own: it never takes the line break after it.
  QTest::newRow("euro_before_break") << "1+€\n2" << QByteArray("1+0=1\r\n2=2\r\n");
  QTest::newRow("euro_before_last_empty") << "3€\n" << QByteArray("3=3\r\n");
  QTest::newRow("euros_on_lines") << "1€\n2€\n3\n4" << QByteArray("1=1\r\n2=2\r\n3=3\r\n4=4\r\n");
  QTest::newRow("euro_before_separator") << "1€\u20282\n3" << QByteArray("1=1\r\n2=2\r\n3=3\r\n");
  QTest::newRow("euro_at_the_end") << "6\n€" << QByteArray("6=6\r\n=0\r\n");
}

void RecalculationTest::linesAsTheWholeTextSplits() {
  QFETCH(QString, pasted);
  QFETCH(QByteArray, resultBytes);

  // Pasted whole, then built up again one edit at a time from the end backwards, so that every
  // state of the text also arises from a small edit of a larger one.
  paste(input(), pasted);
  checkResultBox(resultBytes);
  QCOMPARE(boxText(Box::result), expected());
  while (input()->document()->characterCount() > 1) {
    QTest::keyClick(input(), Qt::Key_Backspace);
    QCOMPARE(boxText(Box::result), expected());
  }
  QCOMPARE(boxText(Box::result), QByteArray());
}

void RecalculationTest::boxTextReadsAsGetText() {
  // Every character that the box's text turns into something else: U+2028, U+00A0, a character
  // GBK cannot hold, a lone surrogate (dropped at the end of a text, "?" elsewhere).
  const QString text = QStringLiteral("1\u2028 2\u00a03\n\u2603€\n\n") + QChar(0xD800) +
                       QStringLiteral("\n4") + QChar(0xD800);
  input()->setPlainText(text);
  const QTextDocument& doc = *input()->document();
  const auto count = static_cast<std::size_t>(doc.blockCount());
  QCOMPARE(bytes(input()->readBlocks(0, count).bytes), boxText(Box::input));

  // Any stretch of blocks reads as its part of the whole, without the break after it.
  const std::string whole = m_window->get_text(Box::input);
  std::size_t at = 0;
  for (std::size_t first = 0; first < count; ++first) {
    for (std::size_t end = first + 1; end <= count; ++end) {
      const tavrel::app::BlockText stretch = input()->readBlocks(first, end);
      QCOMPARE(stretch.pieces.size(), end - first);
      QVERIFY(whole.compare(at, stretch.bytes.size(), stretch.bytes) == 0);
      const std::size_t after = at + stretch.bytes.size();
      QVERIFY(end == count ? after == whole.size() : whole.compare(after, 2, "\r\n") == 0);
    }
    at += input()->readBlocks(first, first + 1).bytes.size() + 2;
  }
}

void RecalculationTest::keystrokeRecomputesOneLine() {
  QString lines;
  for (int i = 0; i < 1000; ++i) lines += QStringLiteral("%1+%1\n").arg(i);
  paste(input(), lines);
  QCOMPARE(m_results->computed(), std::size_t{1000});

  // One new character in line 500 computes that one line.
  select(input(), 0, 0);
  QTextCursor cursor(input()->document()->findBlockByNumber(500));
  input()->setTextCursor(cursor);
  typeText(input(), QStringLiteral("7"));
  QCOMPARE(m_results->computed(), std::size_t{1001});
  // Deleting it again finds the line's result in the cache.
  QTest::keyClick(input(), Qt::Key_Backspace);
  QCOMPARE(m_results->computed(), std::size_t{1001});
  // 按钮1 runs over every line, all of them cached.
  clickCalculate();
  QCOMPARE(m_results->computed(), std::size_t{1001});
  QCOMPARE(boxText(Box::result), expected());
}

void RecalculationTest::decimalsTakeEffectAtTheNextRun() {
  paste(input(), QStringLiteral("1/3\n2\n"));
  decimals()->setText(QStringLiteral("2"));
  QCOMPARE(boxText(Box::result), QByteArray("1/3=0.3333333333333\r\n2=2\r\n"));

  // The next run, whatever starts it, uses the new count for every line.
  select(input(), 6, 6);
  typeText(input(), QStringLiteral("3"));
  QCOMPARE(boxText(Box::result), QByteArray("1/3=0.33\r\n2=2.00\r\n3=3.00\r\n"));
  QCOMPARE(m_results->computed(), std::size_t{5});

  // Back to no count: those lines are still cached.
  decimals()->setText(QString());
  clickCalculate();
  QCOMPARE(boxText(Box::result), QByteArray("1/3=0.3333333333333\r\n2=2\r\n3=3\r\n"));
  QCOMPARE(m_results->computed(), std::size_t{6});  // only "3" without a count is new
}

void RecalculationTest::oneEditPerRun() {
  QSignalSpy edits(result()->document(), &QTextDocument::contentsChange);
  QSignalSpy changes(result(), &PlainBox::changed);
  QString lines;
  for (int i = 0; i < 300; ++i) lines += QStringLiteral("%1*2\n").arg(i);

  // A whole document arrives: one write of the result box, not two appends per line.
  m_window->set_text(Box::input, tavrel::app::qt::core_text(lines));
  QCOMPARE(edits.count(), 1);
  QCOMPARE(changes.count(), 1);

  // A keystroke rewrites the one result line that differs, and only it.
  QTextCursor cursor(input()->document()->findBlockByNumber(150));
  cursor.movePosition(QTextCursor::EndOfBlock);
  input()->setTextCursor(cursor);
  typeText(input(), QStringLiteral("0"));
  QCOMPARE(edits.count(), 2);
  const QList<QVariant> edit = edits.last();
  const int from = result()->document()->findBlockByNumber(150).position();
  QCOMPARE(edit.at(0).toInt(), from);
  QCOMPARE(edit.at(2).toInt(), QStringLiteral("150*20=3000\n").size());

  // A run that changes no result line writes nothing, yet reports one change as a run does.
  typeText(input(), QStringLiteral(" "));
  QCOMPARE(edits.count(), 2);
  QCOMPARE(changes.count(), 3);
  QCOMPARE(boxText(Box::result), expected());
}

void RecalculationTest::endsAsTheFullRunLeavesIt() {
  QString lines;
  for (int i = 0; i < 200; ++i) lines += QStringLiteral("%1+1\n").arg(i);
  paste(input(), lines);

  // State: the user has scrolled the result box to the top and put its caret there.
  result()->verticalScrollBar()->setValue(0);
  select(result(), 0, 4);
  // Action: an edit near the top of the input. Expected: the caret back at the end, in view.
  select(input(), 0, 0);
  typeText(input(), QStringLiteral("5"));
  checkResultBox(expected());
  const int scrolled = result()->verticalScrollBar()->value();
  QVERIFY(scrolled > 0);

  // The literal run through the box operations (emptying, then two appends per line) leaves the
  // box at the same place.
  tavrel::eval::ScriptComponent script;
  tavrel::app::run_calculation(*m_window, script);
  checkResultBox(expected());
  QCOMPARE(result()->verticalScrollBar()->value(), scrolled);
}

void RecalculationTest::resultEditsAreRewritten() {
  paste(input(), QStringLiteral("1\n2\n3\n"));
  const QByteArray shown = boxText(Box::result);

  // Whatever the user does to the result box stays until the next run...
  const struct {
    const char* name;
    std::function<void()> edit;
    QByteArray left;  // what the edit leaves in the result box
  } edits[] = {
      {"type_into_a_line",
       [this] {
         select(result(), 1, 1);
         typeText(result(), "9");
       },
       "19=1\r\n2=2\r\n3=3\r\n"},
      {"delete_a_line_break",
       [this] {
         select(result(), 3, 3);
         QTest::keyClick(result(), Qt::Key_Delete);
       },
       "1=12=2\r\n3=3\r\n"},
      {"paste_lines",
       [this] {
         select(result(), 0, 0);
         paste(result(), "1=1\n");
       },
       "1=1\r\n1=1\r\n2=2\r\n3=3\r\n"},
      // Edits that leave the same text still count.
      {"clear_it_and_undo",
       [this] {
         select(result(), 0, 12);
         QTest::keyClick(result(), Qt::Key_Delete);
         QTest::keyClick(result(), Qt::Key_Z, Qt::ControlModifier);
       },
       shown},
      {"set_text", [this] { m_window->set_text(Box::result, "1=1\r\n2=2\r\n3=3\r\n"); }, shown},
  };
  for (const auto& edit : edits) {
    result()->setFocus();
    edit.edit();
    QVERIFY2(boxText(Box::result) == edit.left, edit.name);
    // ...and the next run, even one that changes a line far from the edit, rewrites it whole.
    select(input(), 5, 5);
    typeText(input(), QStringLiteral("0"));
    QVERIFY2(boxText(Box::result) == "1=1\r\n2=2\r\n30=30\r\n", edit.name);
    QTest::keyClick(input(), Qt::Key_Backspace);
    checkResultBox(shown);
  }
}

void RecalculationTest::inputNeverChangesByARun() {
  // Around a run of every kind, the input box holds exactly what the user's edit made it, and
  // its undo history is the user's: the run adds nothing to it.
  const QString text = QStringLiteral("1+€\n２×３\n\n7/0\n");
  paste(input(), text);
  const QByteArray pasted = boxText(Box::input);
  const int steps = input()->document()->availableUndoSteps();

  clickCalculate();
  QCOMPARE(boxText(Box::input), pasted);
  decimals()->setText(QStringLiteral("3"));
  clickCalculate();
  QCOMPARE(boxText(Box::input), pasted);
  QCOMPARE(input()->document()->availableUndoSteps(), steps);

  select(input(), 2, 2);
  typeText(input(), QStringLiteral("5"));
  QCOMPARE(boxText(Box::input), QByteArray("1+5\x80\r\n\xA3\xB2\xA1\xC1\xA3\xB3\r\n\r\n7/0\r\n"));
  QTest::keyClick(input(), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(boxText(Box::input), pasted);
  QTest::keyClick(input(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(boxText(Box::input), QByteArray("1+5\x80\r\n\xA3\xB2\xA1\xC1\xA3\xB3\r\n\r\n7/0\r\n"));

  pressAbout();
  const std::string about(tavrel::app::kAboutText);
  QCOMPARE(boxText(Box::input),
           bytes(about + "1+5\x80\r\n\xA3\xB2\xA1\xC1\xA3\xB3\r\n\r\n7/0\r\n"));
  result()->setFocus();
  typeText(result(), QStringLiteral("x"));
  clickCalculate();
  QCOMPARE(boxText(Box::input),
           bytes(about + "1+5\x80\r\n\xA3\xB2\xA1\xC1\xA3\xB3\r\n\r\n7/0\r\n"));
  QTest::mouseDClick(input()->viewport(), Qt::LeftButton);
  QCOMPARE(boxText(Box::input), QByteArray());
  QCOMPARE(boxText(Box::result), QByteArray());
}

void RecalculationTest::randomEdits() {
  // A twin box takes every edit the input box takes, and nothing else: the input box must
  // always read as the twin, and the result box as a run from scratch over the input box.
  PlainBox twin;
  twin.resize(input()->size());
  twin.setFont(input()->font());
  QSignalSpy runs(input(), &PlainBox::changed);
  QRandomGenerator random(20260512);
  const auto below = [&random](int bound) { return static_cast<int>(random.bounded(bound)); };
  const QStringList tokens = {
      "1", "2", "+", "-", "*", "/", "(", ")", ".", " ", "３", "＋", "×", "€", "元", "a", "\n",
  };
  const QStringList pasteTokens = {
      "12", "+3", "\n", "\r\n", "\r", "\u2028", "\u00a0", "€", "€\n", "（4）", "\t", "\u2603",
  };
  const QStringList decimalsTexts = {"", "2", "0", "-1", "-", "13"};
  const auto randomText = [&](const QStringList& from, int most) {
    QString text;
    for (int n = 1 + below(most); n > 0; --n) text += from.at(below(from.size()));
    return text;
  };
  // Does the same to both boxes; the caret is placed first, the same in both.
  const auto both = [&](const std::function<void(QPlainTextEdit*)>& edit) {
    const int end = twin.document()->characterCount() - 1;
    const int anchor = below(end + 1);
    const int position = below(4) == 0 ? below(end + 1) : anchor;
    for (QPlainTextEdit* box :
         {static_cast<QPlainTextEdit*>(input()), static_cast<QPlainTextEdit*>(&twin)}) {
      select(box, anchor, position);
      edit(box);
    }
  };

  std::string lastDecimals;
  bool resultEdited = false;
  for (int step = 0; step < 1500; ++step) {
    runs.clear();
    bool calculated = false;
    int kind = below(24);
    if (twin.document()->characterCount() > 4000 && below(4) == 0) kind = 16;  // keep it small
    QString done;
    if (kind < 6) {
      const QString typed = randomText(tokens, 4);
      both([&](QPlainTextEdit* box) { typeText(box, typed); });
      done = "type " + typed;
    } else if (kind < 8) {
      const int count = 1 + below(6);
      const Qt::Key key = below(2) == 0 ? Qt::Key_Backspace : Qt::Key_Delete;
      both([&](QPlainTextEdit* box) {
        for (int i = 0; i < count; ++i) QTest::keyClick(box, key);
      });
      done = "delete";
    } else if (kind < 9) {
      both([](QPlainTextEdit* box) { QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier); });
      done = "line separator";
    } else if (kind < 11) {
      const QString text = randomText(pasteTokens, 12);
      QGuiApplication::clipboard()->setText(text);
      both([](QPlainTextEdit* box) { QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier); });
      done = "paste";
    } else if (kind < 12) {
      QString text;
      for (int n = 10 + below(50); n > 0; --n) text += randomText(tokens, 5) + "\n";
      QGuiApplication::clipboard()->setText(text);
      both([](QPlainTextEdit* box) { QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier); });
      done = "paste lines";
    } else if (kind < 13) {
      both([](QPlainTextEdit* box) { QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier); });
      done = "cut";
    } else if (kind < 15) {
      const bool redo = below(3) == 0;
      for (QPlainTextEdit* box :
           {static_cast<QPlainTextEdit*>(input()), static_cast<QPlainTextEdit*>(&twin)}) {
        QTest::keyClick(box, Qt::Key_Z,
                        redo ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
      }
      done = redo ? "redo" : "undo";
    } else if (kind < 16) {
      pressAbout();
      twin.insertAtStart(tavrel::app::qt::box_text(tavrel::app::kAboutText));
      done = "about";
    } else if (kind < 17) {
      QTest::mouseDClick(input()->viewport(), Qt::LeftButton);
      twin.replaceText(QString(), true);
      done = "double-click";
    } else if (kind < 19) {
      decimals()->setText(decimalsTexts.at(below(decimalsTexts.size())));
      calculated = below(2) == 0;
      if (calculated) clickCalculate();
      done = "decimals";
    } else if (kind < 21) {
      result()->setFocus();
      const int end = result()->document()->characterCount() - 1;
      select(result(), below(end + 1), below(end + 1));
      if (below(2) == 0) {
        typeText(result(), randomText(tokens, 3));
      } else {
        QTest::keyClick(result(), Qt::Key_Backspace);
      }
      resultEdited = true;
      done = "result edit";
    } else {
      clickCalculate();
      calculated = true;
      done = "calculate";
    }

    const QByteArray context = QByteArray::number(step) + " " + done.toUtf8();
    QVERIFY2(input()->toPlainText() == twin.toPlainText(), context);
    QVERIFY2(boxText(Box::input) == bytes(tavrel::app::qt::core_text(twin.toPlainText())), context);
    if (calculated || !runs.isEmpty()) {
      lastDecimals = m_window->get_text(Box::decimals);
      resultEdited = false;
    }
    if (resultEdited) continue;
    const QByteArray want = fullRunResult(m_window->get_text(Box::input), lastDecimals);
    QVERIFY2(boxText(Box::result) == want, context + "\n" + boxText(Box::result) + "\n" + want);
    const QPlainTextEdit* box = result();
    QVERIFY2(box->textCursor().position() == box->document()->characterCount() - 1, context);
    QVERIFY2(box->viewport()->rect().contains(box->cursorRect()), context);
  }
}

void RecalculationTest::longLinesWrapAnywhere() {
  // A line far longer than word wrapping can take: the boxes wrap it anywhere, and go back to
  // word boundaries when it is gone.
  const QString digits(PlainBox::kLongBlock * 4, QLatin1Char('7'));
  paste(input(), QStringLiteral("1+1\n") + digits);
  QCOMPARE(input()->wordWrapMode(), QTextOption::WrapAnywhere);
  QCOMPARE(result()->wordWrapMode(), QTextOption::WrapAnywhere);
  QCOMPARE(boxText(Box::result), expected());

  select(input(), 4, input()->document()->characterCount() - 1);
  QTest::keyClick(input(), Qt::Key_Delete);
  QCOMPARE(boxText(Box::result), QByteArray("1+1=2\r\n"));
  QCOMPARE(input()->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
  QCOMPARE(result()->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void RecalculationTest::largePasteStaysUsable() {
  // A pasted list of 20,000 lines and a pasted line of 256 KB, each followed by typing at both
  // ends: every run ends with the right text, and a keystroke computes one line.
  QString lines;
  for (int i = 0; i < 20000; ++i) lines += QStringLiteral("价格 %1.5 元 × 3 件 + 运费 8\n").arg(i);
  paste(input(), lines);
  QCOMPARE(boxText(Box::result), expected());
  const QString line(256 * 1024, QLatin1Char('9'));
  select(input(), 0, 0);
  paste(input(), line + QStringLiteral("\n"));
  QCOMPARE(boxText(Box::result), expected());

  for (const int at : {0, input()->document()->characterCount() - 1}) {
    select(input(), at, at);
    const std::size_t before = m_results->computed();
    typeText(input(), QStringLiteral("+"));
    QCOMPARE(m_results->computed(), before + 1);
    QCOMPARE(boxText(Box::result), expected());
  }
}

QTEST_MAIN(RecalculationTest)
#include "recalculation_test.moc"
