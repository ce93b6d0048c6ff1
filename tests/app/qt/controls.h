// SPDX-License-Identifier: MIT
// Finding the window's controls by their object names in tests.
#pragma once

#include <QString>
#include <QWidget>
#include <QtGlobal>

namespace tavrel::app::qt::testing {

// Returns the window's control of this object name; a missing control ends the test program.
template <typename T = QWidget>
T* findControl(const QWidget& window, const char* name) {
  T* found = window.findChild<T*>(QString::fromUtf8(name));
  if (found == nullptr) qFatal("no control named %s", name);
  return found;
}

}  // namespace tavrel::app::qt::testing
