// SPDX-License-Identifier: MIT
// The script component as a child of the window: it lives exactly as long as the window.
#pragma once

#include <QObject>

#include "eval/script_component.h"

namespace tavrel::app::qt {

class ScriptObject : public QObject {
 public:
  explicit ScriptObject(QObject* parent) : QObject(parent) {}

  // Returns the component that evaluates the expressions of a calculation run.
  eval::ScriptComponent& component() { return m_component; }

 private:
  eval::ScriptComponent m_component;
};

}  // namespace tavrel::app::qt
