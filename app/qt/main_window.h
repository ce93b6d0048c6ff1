// SPDX-License-Identifier: MIT
// The main window: its controls, the box operations of the calculation run and the six handlers.
#pragma once

#include <QPoint>
#include <QWidget>
#include <memory>
#include <optional>
#include <string_view>

#include "app/live_run.h"
#include "app/result_cache.h"
#include "app/run_calculation.h"
#include "text/text.h"

class QLabel;
class QPushButton;

namespace tavrel::app::qt {

class DecimalsBox;
class Hyperlinker;
class PlainBox;
class ScriptObject;

class MainWindow : public QWidget, public Boxes, private InputBlocks, private ResultBox {
  Q_OBJECT

 public:
  // Makes the window with all its controls, centred on the primary screen; its move and resize
  // events wait until it is shown, so the layout rule runs once before it appears. The window
  // keeps its computed result lines in `results`, which must outlive it.
  explicit MainWindow(ResultCache& results, QWidget* parent = nullptr);
  // As above, with a cache of the window's own.
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // Returns the box's text in GBK, line breaks as CR LF.
  text::Text get_text(Box box) override;
  // Replaces the box's whole text; the box reports one change, also for the same text. On the
  // input box it is one undo step.
  void set_text(Box box, std::string_view t) override;
  // Inserts t after the box's last character, with the caret there and scrolled into view.
  void append_text(Box box, std::string_view t) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  // Presses that reach the window itself (its empty client area, a label or a picture box) move
  // the window.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private slots:
  void calculate();
  void calculateAll();
  void copyResult();
  void prependAbout();
  void clearInput();

 private:
  MainWindow(std::unique_ptr<ResultCache> own, ResultCache* results, QWidget* parent);
  void createControls();
  void applyLayout(int clientWidth, int clientHeight);
  void relaxWrapping();

  std::size_t block_count() override;
  BlockText read_blocks(std::size_t first, std::size_t end) override;
  void replace_lines(std::size_t first, std::size_t end, std::string_view lines) override;
  void show_end() override;

  std::unique_ptr<ResultCache> m_ownResults;
  ResultCache& m_results;

  ScriptObject* m_script = nullptr;
  Hyperlinker* m_link = nullptr;
  DecimalsBox* m_decimals = nullptr;
  QLabel* m_decimalsCaption = nullptr;
  QLabel* m_decimalsSymbol = nullptr;
  QLabel* m_decimalsPanel = nullptr;
  QPushButton* m_copy = nullptr;
  QLabel* m_heading = nullptr;
  PlainBox* m_result = nullptr;
  QPushButton* m_calculate = nullptr;
  PlainBox* m_input = nullptr;
  std::unique_ptr<LiveRun> m_live;

  // Where the window's top-left corner lies from the pointer while the window follows the mouse
  // (for platforms that cannot move it themselves).
  std::optional<QPoint> m_dragOffset;
};

}  // namespace tavrel::app::qt
