// SPDX-License-Identifier: MIT
// The about link: a caption that changes colour under the mouse and opens nothing.
#pragma once

#include <QLabel>

namespace tavrel::app::qt {

class Hyperlinker : public QLabel {
  Q_OBJECT

 public:
  // The caption's colour normally (a visited link looks the same) and while the mouse is over it.
  static constexpr QRgb kNormalColour = 0xffc0c0c0;  // RGB(192, 192, 192)
  static constexpr QRgb kHoverColour = 0xff80e000;   // RGB(128, 224, 0)

  Hyperlinker(const QString& caption, QWidget* parent);

 signals:
  // Raised when the left mouse button is pressed on the link, before the link handles it.
  void pressed();

 protected:
  // A double-click reaches the link as its second press (QWidget's mouseDoubleClickEvent).
  void mousePressEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void setCaptionColour(QRgb colour);
};

}  // namespace tavrel::app::qt
