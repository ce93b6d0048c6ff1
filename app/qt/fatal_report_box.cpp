// SPDX-License-Identifier: MIT
#include "app/qt/fatal_report_box.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QString>
#include <QWidget>

namespace tavrel::app::qt {
namespace {

bool is_held(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}

// Returns the widget an event for this object is about: the object itself, or for a shortcut
// and the like the widget it belongs to.
const QWidget* owning_widget(const QObject* object) {
  while (object != nullptr && !object->isWidgetType()) object = object->parent();
  return static_cast<const QWidget*>(object);
}

}  // namespace

std::unique_ptr<QMessageBox> make_fatal_report_box(const char* report_utf8) {
  // The box breaks lines at "\n"; a CR would show as a stray character.
  QString text = QString::fromUtf8(report_utf8);
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, QString::fromUtf8("错误"), text,
                                           QMessageBox::Ok);
  box->setTextFormat(Qt::PlainText);
  return box;
}

HeldEvents::HeldEvents(const QWidget* exempt) : m_exempt(exempt) {
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

HeldEvents::~HeldEvents() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool HeldEvents::eventFilter(QObject* watched, QEvent* event) {
  if (!is_held(event->type())) return false;
  const QWidget* widget = owning_widget(watched);
  if (widget == nullptr || widget->window() == m_exempt) return false;
  if (event->type() == QEvent::Close) event->ignore();  // the window stays open
  return true;
}

void run_fatal_report_box(QMessageBox& box) {
  HeldEvents held(&box);
  box.exec();
}

void show_fatal_report(const char* report_utf8) {
  const std::unique_ptr<QMessageBox> box = make_fatal_report_box(report_utf8);
  run_fatal_report_box(*box);
}

}  // namespace tavrel::app::qt
