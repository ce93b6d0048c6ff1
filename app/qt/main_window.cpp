// SPDX-License-Identifier: MIT
#include "app/qt/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QWindow>
#include <initializer_list>
#include <memory>
#include <utility>

#include "app/pictures.h"
#include "app/qt/box_text.h"
#include "app/qt/edit_boxes.h"
#include "app/qt/fonts.h"
#include "app/qt/hyperlinker.h"
#include "app/qt/picture_image.h"
#include "app/qt/script_object.h"
#include "app/window_rules.h"

namespace tavrel::app::qt {
namespace {

// Gives a new control its form name and its place; the form lists its controls top first, so
// each new one goes beneath the ones made before it in the same parent.
template <typename Widget>
Widget* place(Widget* widget, const Control& control) {
  widget->setObjectName(QString::fromUtf8(control.name));
  widget->setGeometry(control.rect.left, control.rect.top, control.rect.width, control.rect.height);
  widget->lower();
  return widget;
}

// A label: black text on the button-face colour, left-aligned and vertically centred on one line,
// "&" shown as it stands.
QLabel* make_label(const Control& control, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(control.text), parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label->setWordWrap(false);
  label->setAutoFillBackground(true);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::black);
  label->setPalette(palette);
  return label;
}

// A picture box: no border, button-face background, its picture (if any) at the top-left corner.
QLabel* make_picture_box(QWidget* parent, const QImage& picture = QImage()) {
  auto* box = new QLabel(parent);
  box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  box->setAutoFillBackground(true);
  if (!picture.isNull()) box->setPixmap(QPixmap::fromImage(picture));
  return box;
}

// A push button that is not the default button.
QPushButton* make_button(const Control& control, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(control.text), parent);
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

}  // namespace

MainWindow::MainWindow(ResultCache& results, QWidget* parent)
    : MainWindow(nullptr, &results, parent) {}

MainWindow::MainWindow(QWidget* parent)
    : MainWindow(std::make_unique<ResultCache>(), nullptr, parent) {}

MainWindow::MainWindow(std::unique_ptr<ResultCache> own, ResultCache* results, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_ownResults(std::move(own)),
      m_results(results != nullptr ? *results : *m_ownResults) {
  setObjectName(QString::fromUtf8(form::kWindow));
  setWindowTitle(QString::fromUtf8(kCaption));
  setWindowIcon(QIcon(QPixmap::fromImage(picture_image(window_icon()))));
  install_font_substitutions();
  setFont(control_font(kTextHeight));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Button));
  setPalette(palette);

  createControls();
  ResultBox& results_box = *this;
  m_live = std::make_unique<LiveRun>(results_box, m_results, m_script->component(),
                                     static_cast<std::size_t>(PlainBox::kLongBlock));

  connect(m_calculate, &QPushButton::clicked, this, &MainWindow::calculateAll);
  connect(m_input, &PlainBox::changed, this, &MainWindow::calculate);
  connect(m_input, &PlainBox::blocksChanged, this,
          [this](std::size_t first, std::size_t last, std::size_t count) {
            m_live->note_input_change(first, last, count);
          });
  connect(m_result, &QPlainTextEdit::textChanged, this, [this] { m_live->note_result_change(); });
  connect(m_copy, &QPushButton::clicked, this, &MainWindow::copyResult);
  connect(m_link, &Hyperlinker::pressed, this, &MainWindow::prependAbout);
  connect(m_input, &PlainBox::doubleClicked, this, &MainWindow::clearInput);

  // Esc closes the window from whichever control has the focus.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);

  // Tab runs down the window: input, the two buttons, decimal places, result.
  setTabOrder(m_input, m_copy);
  setTabOrder(m_copy, m_calculate);
  setTabOrder(m_calculate, m_decimals);
  setTabOrder(m_decimals, m_result);
  m_input->setFocus();

  // While the window is hidden these only record its place and size; showing it delivers the
  // move and then the resize event, and the resize runs the layout rule.
  resize(kClientWidth, kClientHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.x() + centred(area.width(), kOuterWidth),
         area.y() + centred(area.height(), kOuterHeight));
  }
}

MainWindow::~MainWindow() {
  // The controls are destroyed after this part of the window: no handler may run on the way.
  for (QObject* control :
       std::initializer_list<QObject*>{m_input, m_result, m_calculate, m_copy, m_link}) {
    control->disconnect(this);
  }
}

void MainWindow::createControls() {
  m_script = new ScriptObject(this);
  m_script->setObjectName(QString::fromUtf8(form::kScript.name));

  m_link = place(new Hyperlinker(QString::fromUtf8(form::kLink.text), this), form::kLink);
  m_link->setFont(control_font(kLinkTextHeight));

  m_decimalsPanel = place(make_picture_box(this), form::kDecimalsPanel);
  m_decimals = place(new DecimalsBox(m_decimalsPanel), form::kDecimals);
  m_decimalsCaption =
      place(make_label(form::kDecimalsCaption, m_decimalsPanel), form::kDecimalsCaption);
  m_decimalsSymbol = place(make_picture_box(m_decimalsPanel, picture_image(decimals_symbol())),
                           form::kDecimalsSymbol);

  m_copy = place(make_button(form::kCopy, this), form::kCopy);
  m_heading = place(make_label(form::kHeading, this), form::kHeading);
  m_result = place(new PlainBox(this), form::kResult);
  m_calculate = place(make_button(form::kCalculate, this), form::kCalculate);
  m_input = place(new PlainBox(this), form::kInput);
}

text::Text MainWindow::get_text(Box box) {
  switch (box) {
    case Box::input:
      return core_text(m_input->toPlainText());
    case Box::result:
      return core_text(m_result->toPlainText());
    case Box::decimals:
      return core_text(m_decimals->text());
  }
  return {};
}

void MainWindow::set_text(Box box, std::string_view t) {
  switch (box) {
    case Box::input:
      return m_input->replaceText(box_text(t), true);
    case Box::result:
      return m_result->replaceText(box_text(t), false);
    case Box::decimals:
      return m_decimals->setText(box_text(t));
  }
}

void MainWindow::append_text(Box box, std::string_view t) {
  switch (box) {
    case Box::input:
      return m_input->appendText(box_text(t));
    case Box::result:
      return m_result->appendText(box_text(t));
    case Box::decimals:
      m_decimals->end(false);
      return m_decimals->insert(box_text(t));
  }
}

std::size_t MainWindow::block_count() {
  return m_input->blockCount();
}

BlockText MainWindow::read_blocks(std::size_t first, std::size_t end) {
  return m_input->readBlocks(first, end);
}

void MainWindow::replace_lines(std::size_t first, std::size_t end, std::string_view lines) {
  m_result->replaceLines(first, end, lines);
}

void MainWindow::show_end() {
  m_result->showEnd();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  applyLayout(event->size().width(), event->size().height());
}

void MainWindow::changeEvent(QEvent* event) {
  // The toolkit sends no resize on minimising: the rule sees the 0 x 0 client area of a
  // minimised window here, and the real size again on restoring.
  if (event->type() == QEvent::WindowStateChange) {
    if (isMinimized()) {
      applyLayout(0, 0);
    } else {
      applyLayout(width(), height());
    }
  }
  QWidget::changeEvent(event);
}

void MainWindow::applyLayout(int clientWidth, int clientHeight) {
  const BoxLayout layout = layout_rule(clientWidth, clientHeight, m_result->y());
  // Two separate resizes of the result box, one per property, as the rule sets them.
  m_input->resize(layout.input_width, m_input->height());
  m_result->resize(layout.result_width, m_result->height());
  m_result->resize(m_result->width(), layout.result_height);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  QWindow* handle = windowHandle();
  if (handle != nullptr && handle->startSystemMove()) return;
  // No window manager to hand the move to: follow the mouse until the button is released.
  m_dragOffset = pos() - event->globalPosition().toPoint();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
  if (!m_dragOffset || !(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
  move(event->globalPosition().toPoint() + *m_dragOffset);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) m_dragOffset.reset();
  QWidget::mouseReleaseEvent(event);
}

void MainWindow::calculate() {
  InputBlocks& blocks = *this;
  m_live->run(blocks, get_text(Box::decimals), false);
  relaxWrapping();
}

void MainWindow::calculateAll() {
  InputBlocks& blocks = *this;
  m_live->run(blocks, get_text(Box::decimals), true);
  relaxWrapping();
}

void MainWindow::relaxWrapping() {
  if (!m_live->has_long_input_lines()) m_input->relaxWrapping();
  if (!m_live->has_long_result_lines()) m_result->relaxWrapping();
}

void MainWindow::copyResult() {
  if (const auto copied = text_to_copy(get_text(Box::result))) {
    QGuiApplication::clipboard()->setText(box_text(get_text(Box::result)));
  }
}

void MainWindow::prependAbout() {
  // In front of the box's own text, which may hold characters GBK has no bytes for: a round
  // trip through the core's text would turn them into "?".
  m_input->insertAtStart(box_text(kAboutText));
}

void MainWindow::clearInput() {
  set_text(Box::input, "");
}

}  // namespace tavrel::app::qt
