// SPDX-License-Identifier: MIT
// The box that shows a fatal report, and the hold on the program's events while it is open.
#pragma once

#include <QObject>
#include <memory>

class QMessageBox;
class QWidget;

namespace tavrel::app::qt {

// Returns the box for a report (UTF-8, lines ending CR LF): no owner window, caption "错误",
// the error icon and an OK button.
std::unique_ptr<QMessageBox> make_fatal_report_box(const char* report_utf8);

// While it lives, holds back the events that could reach a handler of the program (input,
// shortcuts, moving, resizing, closing) from every window but the one it exempts; painting goes
// on.
class HeldEvents : public QObject {
 public:
  explicit HeldEvents(const QWidget* exempt);
  ~HeldEvents() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  const QWidget* m_exempt;
};

// Shows the box and returns when the user has closed it, holding back the program's events
// meanwhile.
void run_fatal_report_box(QMessageBox& box);

// Shows a fatal report in its box and returns when the user has closed it; the reporter that the
// window installs for the fatal-error path.
void show_fatal_report(const char* report_utf8);

}  // namespace tavrel::app::qt
