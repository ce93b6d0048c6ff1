// SPDX-License-Identifier: MIT
#include "app/window/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QIcon>
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

#include "app/window/about_text.h"
#include "app/window/box_text.h"
#include "app/window/edit_boxes.h"
#include "app/window/fonts.h"
#include "app/window/hyperlinker.h"
#include "app/window/layout_rule.h"
#include "app/window/object_names.h"
#include "app/window/pictures.h"
#include "app/window/recalculation.h"
#include "app/window/script_object.h"

namespace tavrel::window {
namespace {

// The client area at start, and the outer size (frame and title bar included) that the window
// is centred by.
constexpr QSize kClientSize(396, 372);
constexpr QSize kOuterSize(406, 398);

constexpr int kTextHeight = 12;
constexpr int kLinkTextHeight = 14;

// Gives a new control its form name and its place; the form lists its controls top first, so
// each new one goes beneath the ones made before it in the same parent.
template <typename Control>
Control* place(Control* control, const char* name, const QRect& geometry) {
  control->setObjectName(QString::fromUtf8(name));
  control->setGeometry(geometry);
  control->lower();
  return control;
}

// A label: black text on the button-face colour, left-aligned and vertically centred on one line,
// "&" shown as it stands.
QLabel* make_label(const char* caption, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
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
QPushButton* make_button(const char* caption, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

}  // namespace

MainWindow::MainWindow(app::ResultCache& results, QWidget* parent)
    : MainWindow(nullptr, &results, parent) {}

MainWindow::MainWindow(QWidget* parent)
    : MainWindow(std::make_unique<app::ResultCache>(), nullptr, parent) {}

MainWindow::MainWindow(std::unique_ptr<app::ResultCache> own, app::ResultCache* results,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_ownResults(std::move(own)),
      m_results(results != nullptr ? *results : *m_ownResults) {
  setObjectName(QString::fromUtf8(names::kWindow));
  setWindowTitle(QStringLiteral("Tavrel"));
  setWindowIcon(QIcon(QPixmap::fromImage(window_icon())));
  install_font_substitutions();
  setFont(control_font(kTextHeight));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Button));
  setPalette(palette);

  createControls();
  m_recalculation = new Recalculation(*m_input, *m_result, m_results, m_script->component(), this);

  connect(m_calculate, &QPushButton::clicked, this, &MainWindow::calculateAll);
  connect(m_input, &PlainBox::changed, this, &MainWindow::calculate);
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
  resize(kClientSize);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - kOuterSize.width()) / 2,
         area.y() + (area.height() - kOuterSize.height()) / 2);
  }
}

MainWindow::~MainWindow() {
  // The controls are destroyed after this part of the window: no handler may run on the way.
  for (QObject* control : std::initializer_list<QObject*>{m_input, m_calculate, m_copy, m_link}) {
    control->disconnect(this);
  }
  delete m_recalculation;  // before the boxes it follows
}

void MainWindow::createControls() {
  m_script = new ScriptObject(this);
  m_script->setObjectName(QString::fromUtf8(names::kScript));

  m_link =
      place(new Hyperlinker(QString::fromUtf8("关于"), this), names::kLink, QRect(182, 9, 44, 15));
  m_link->setFont(control_font(kLinkTextHeight));

  m_decimalsPanel = place(make_picture_box(this), names::kDecimalsPanel, QRect(248, 176, 136, 32));
  m_decimals = place(new DecimalsBox(m_decimalsPanel), names::kDecimals, QRect(79, 3, 45, 24));
  m_decimalsCaption = place(make_label("保留小数:", m_decimalsPanel), names::kDecimalsCaption,
                            QRect(26, 7, 48, 16));
  m_decimalsSymbol = place(make_picture_box(m_decimalsPanel, decimals_symbol()),
                           names::kDecimalsSymbol, QRect(8, 8, 16, 16));

  m_copy = place(make_button("复制结果", this), names::kCopy, QRect(32, 184, 88, 24));
  m_heading = place(make_label("计算文本中的数学算式（每行）", this), names::kHeading,
                    QRect(16, 7, 216, 24));
  m_result = place(new PlainBox(this), names::kResult, QRect(0, 216, 384, 152));
  m_calculate = place(make_button("计算", this), names::kCalculate, QRect(124, 183, 112, 24));
  m_input = place(new PlainBox(this), names::kInput, QRect(0, 32, 392, 144));
}

text::Text MainWindow::get_text(app::Box box) {
  switch (box) {
    case app::Box::input:
      return core_text(m_input->toPlainText());
    case app::Box::result:
      return core_text(m_result->toPlainText());
    case app::Box::decimals:
      return core_text(m_decimals->text());
  }
  return {};
}

void MainWindow::set_text(app::Box box, std::string_view t) {
  switch (box) {
    case app::Box::input:
      return m_input->replaceText(box_text(t));
    case app::Box::result:
      return m_result->replaceText(box_text(t));
    case app::Box::decimals:
      return m_decimals->setText(box_text(t));
  }
}

void MainWindow::append_text(app::Box box, std::string_view t) {
  switch (box) {
    case app::Box::input:
      return m_input->appendText(box_text(t));
    case app::Box::result:
      return m_result->appendText(box_text(t));
    case app::Box::decimals:
      m_decimals->end(false);
      return m_decimals->insert(box_text(t));
  }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  const BoxLayout layout =
      layout_rule(event->size().width(), event->size().height(), m_result->y());
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
  m_recalculation->run(get_text(app::Box::decimals), false);
}

void MainWindow::calculateAll() {
  m_recalculation->run(get_text(app::Box::decimals), true);
}

void MainWindow::copyResult() {
  if (text::compare(get_text(app::Box::result), "") == 0) return;
  QGuiApplication::clipboard()->setText(box_text(get_text(app::Box::result)));
}

void MainWindow::prependAbout() {
  set_text(app::Box::input, text::concat(kAboutText, get_text(app::Box::input)));
}

void MainWindow::clearInput() {
  set_text(app::Box::input, "");
}

}  // namespace tavrel::window
