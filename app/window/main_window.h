// SPDX-License-Identifier: MIT
// The main window: its controls, the box operations of the calculation run and the six handlers.
#pragma once

#include <QPoint>
#include <QWidget>
#include <memory>
#include <optional>
#include <string_view>

#include "app/result_cache.h"
#include "app/run_calculation.h"
#include "text/text.h"

class QLabel;
class QPushButton;

namespace tavrel::window {

class DecimalsBox;
class Hyperlinker;
class PlainBox;
class Recalculation;
class ScriptObject;

class MainWindow : public QWidget, public app::Boxes {
  Q_OBJECT

 public:
  // Makes the window with all its controls, centred on the primary screen; its move and resize
  // events wait until it is shown, so the layout rule runs once before it appears. The window
  // keeps its computed result lines in `results`, which must outlive it.
  explicit MainWindow(app::ResultCache& results, QWidget* parent = nullptr);
  // As above, with a cache of the window's own.
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // Returns the box's text in GBK, line breaks as CR LF.
  text::Text get_text(app::Box box) override;
  // Replaces the box's whole text; the box reports one change, also for the same text.
  void set_text(app::Box box, std::string_view t) override;
  // Inserts t after the box's last character, with the caret there and scrolled into view.
  void append_text(app::Box box, std::string_view t) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
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
  MainWindow(std::unique_ptr<app::ResultCache> own, app::ResultCache* results, QWidget* parent);
  void createControls();

  std::unique_ptr<app::ResultCache> m_ownResults;
  app::ResultCache& m_results;

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
  Recalculation* m_recalculation = nullptr;

  // Where the window's top-left corner lies from the pointer while the window follows the mouse
  // (for platforms that cannot move it themselves).
  std::optional<QPoint> m_dragOffset;
};

}  // namespace tavrel::window
