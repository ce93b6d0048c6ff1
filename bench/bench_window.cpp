// SPDX-License-Identifier: MIT
// The main window's calculation run, offscreen: keystrokes at the start, the middle and the end
// of inputs of 1,000, 10,000 and 100,000 generated lines, each timed from the key press until
// the window has repainted, beside a run that recomputes and rewrites everything; then a 64 MB
// paste of lines, and a single pasted line of growing length.
//
//   keystroke lines=N median_ms=... p95_ms=... full_run_ms=...
//   paste bytes=N lines=N paste_ms=... keystroke_ms=...
//   paste_line bytes=N paste_ms=... keystroke_ms=...
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/qt/code_page.h"
#include "app/qt/main_window.h"
#include "app/result_cache.h"
#include "app/window_rules.h"
#include "support/line_generator.h"

namespace {

using tavrel::app::Box;
using tavrel::app::qt::MainWindow;
namespace form = tavrel::app::form;

// Returns the milliseconds that `action` takes, with the events it leaves handled and the
// window painted anew.
template <typename Action>
double time_ms(QWidget& window, Action&& action) {
  QElapsedTimer timer;
  timer.start();
  action();
  QCoreApplication::processEvents();
  window.repaint();
  return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double percentile(std::vector<double> samples, double fraction) {
  std::sort(samples.begin(), samples.end());
  const auto at =
      static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1) + 0.5);
  return samples[at];
}

// A window shown offscreen, with its cache, and a way to reach its boxes.
struct Window {
  tavrel::app::ResultCache results;
  MainWindow window{results};

  Window() {
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
  }
  QPlainTextEdit* input() {
    return window.findChild<QPlainTextEdit*>(QString::fromUtf8(form::kInput.name));
  }
  void placeCaret(int position) {
    QTextCursor cursor = input()->textCursor();
    cursor.setPosition(position);
    input()->setTextCursor(cursor);
  }
  void type(const QString& character) {
    QTest::sendKeyEvent(QTest::Click, input(), Qt::Key_unknown, character, Qt::NoModifier);
  }
  void backspace() { QTest::keyClick(input(), Qt::Key_Backspace); }
  // Recomputes every line with nothing cached and writes the whole result box.
  double fullRun() {
    results.clear();
    window.set_text(Box::result, "");  // a result box written by others is rewritten whole
    auto* calculate = window.findChild<QPushButton*>(QString::fromUtf8(form::kCalculate.name));
    return time_ms(window, [calculate] { calculate->click(); });
  }
};

tavrel::text::Text generated_lines(std::size_t count, std::uint64_t seed) {
  tavrel::support::lines::line_generator generator(seed);
  tavrel::text::Text text;
  for (std::size_t i = 0; i < count; ++i) text.append(generator.next()).append("\r\n");
  return text;
}

void keystrokes(std::size_t count) {
  Window w;
  w.window.set_text(Box::input, generated_lines(count, 20261211));

  // Twenty different characters, so that each keystroke makes a line not computed before.
  const QString typed = QStringLiteral("0123456789+-*/.()abc");
  const QTextDocument& document = *w.input()->document();
  const int middle = document.findBlockByNumber(document.blockCount() / 2).position();
  std::vector<double> samples;
  for (const int where : {0, 1, 2}) {
    for (const QChar character : typed) {
      const int end = document.characterCount() - 1;
      w.placeCaret(where == 0 ? 0 : where == 1 ? middle : end);
      samples.push_back(time_ms(w.window, [&] { w.type(character); }));
      samples.push_back(time_ms(w.window, [&] { w.backspace(); }));
    }
  }
  const double full = w.fullRun();
  std::printf("keystroke lines=%zu median_ms=%.2f p95_ms=%.2f full_run_ms=%.1f\n", count,
              percentile(samples, 0.5), percentile(samples, 0.95), full);
  std::fflush(stdout);
}

// Keystrokes at the start and at the end after a paste; returns the slower one.
double keystroke_after_paste(Window& w) {
  double slowest = 0;
  for (const bool atEnd : {false, true}) {
    w.placeCaret(atEnd ? w.input()->document()->characterCount() - 1 : 0);
    slowest = std::max(slowest, time_ms(w.window, [&] { w.type(QStringLiteral("7")); }));
  }
  return slowest;
}

void paste_lines(std::size_t bytes) {
  tavrel::support::lines::line_generator generator(7);
  tavrel::text::Text text;
  std::size_t lines = 0;
  while (text.size() < bytes) {
    text.append(generator.next()).append("\r\n");
    ++lines;
  }
  Window w;
  QGuiApplication::clipboard()->setText(tavrel::app::qt::from_gbk(text));
  text = {};
  const double paste =
      time_ms(w.window, [&] { QTest::keyClick(w.input(), Qt::Key_V, Qt::ControlModifier); });
  const double keystroke = keystroke_after_paste(w);
  std::printf("paste bytes=%zu lines=%zu paste_ms=%.0f keystroke_ms=%.1f\n",
              w.window.get_text(Box::input).size(), lines, paste, keystroke);
  std::fflush(stdout);
}

void paste_line(std::size_t bytes) {
  Window w;
  QGuiApplication::clipboard()->setText(QString(static_cast<qsizetype>(bytes), QLatin1Char('7')));
  const double paste =
      time_ms(w.window, [&] { QTest::keyClick(w.input(), Qt::Key_V, Qt::ControlModifier); });
  const double keystroke = keystroke_after_paste(w);
  std::printf("paste_line bytes=%zu paste_ms=%.0f keystroke_ms=%.1f\n", bytes, paste, keystroke);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  for (const std::size_t count : {1000, 10000, 100000}) keystrokes(count);
  for (const std::size_t megabytes : {16, 32, 64}) paste_lines(megabytes << 20);
  for (const std::size_t megabytes : {1, 2, 4}) paste_line(megabytes << 20);
  return 0;
}
