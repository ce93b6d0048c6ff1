// SPDX-License-Identifier: MIT
// The window program: the start sequence, the event loop and the end sequence.
#pragma once

#include <functional>

#include "app/fatal_error.h"

namespace tavrel::app::qt {

class MainWindow;

// What a test driver may add to the program; the shipped program adds nothing.
struct ProgramHooks {
  FatalReporter reporter = nullptr;             // shows fatal reports instead of the box
  std::function<void()> after_shutdown;         // runs after the shutdown routine
  std::function<void(MainWindow&)> once_shown;  // runs when the window has been shown
};

// Runs the program on the command line and returns its exit code: 0 after the window was
// closed, 1 when there is no display to show it on. A fatal error ends the process with -1.
int run_program(int argc, char** argv, const ProgramHooks& hooks = {});

}  // namespace tavrel::app::qt
