// SPDX-License-Identifier: MIT
// The window program on Windows: the start sequence, the message loop and the end sequence.
#pragma once

#include <windows.h>

#include <functional>

#include "app/fatal_error.h"

namespace tavrel::app::win32 {

class MainWindow;

// What a test driver may add to the program; the shipped program adds nothing.
struct ProgramHooks {
  FatalReporter reporter = nullptr;             // shows fatal reports instead of show_fatal_report
  std::function<void()> after_shutdown;         // runs after the shutdown routine
  std::function<void(MainWindow&)> once_shown;  // runs when the window has been shown
};

// Runs the program and returns its exit code, 0 after the window was closed. A fatal error ends
// the process with -1.
int run_program(HINSTANCE instance, const ProgramHooks& hooks = {});

// Shows a fatal report in the error box (no owner, caption "错误", the error icon and OK) and
// returns when the user has closed it; the window takes no input and runs no handler from then.
void show_fatal_report(const char* report_utf8);

}  // namespace tavrel::app::win32
