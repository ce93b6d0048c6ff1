// SPDX-License-Identifier: MIT
#include "app/qt/hyperlinker.h"

#include <QMouseEvent>
#include <QPalette>

namespace tavrel::app::qt {

Hyperlinker::Hyperlinker(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignCenter);
  setWordWrap(false);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
  setAutoFillBackground(true);  // drawn over the heading label on the button-face colour
  setCaptionColour(kNormalColour);
}

void Hyperlinker::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit pressed();
  QLabel::mousePressEvent(event);
  event->accept();  // a press on the link does not move the window
}

void Hyperlinker::enterEvent(QEnterEvent* event) {
  setCaptionColour(kHoverColour);
  QLabel::enterEvent(event);
}

void Hyperlinker::leaveEvent(QEvent* event) {
  setCaptionColour(kNormalColour);
  QLabel::leaveEvent(event);
}

void Hyperlinker::setCaptionColour(QRgb colour) {
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, QColor::fromRgb(colour));
  setPalette(palette);
}

}  // namespace tavrel::app::qt
