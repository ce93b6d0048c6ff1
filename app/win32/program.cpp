// SPDX-License-Identifier: MIT
#include "app/win32/program.h"

#include <cfenv>
#include <cstddef>
#include <utility>

#include "app/program_memory.h"
#include "app/result_cache.h"
#include "app/shutdown.h"
#include "app/win32/main_window.h"

namespace tavrel::app::win32 {
namespace {

// The window whose events the fatal report holds back, while it exists.
MainWindow* g_window = nullptr;

// Each message goes to the window's own key and mouse handling first, then to its window.
void run_message_loop(MainWindow& window) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window.handle_before_dispatch(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

void show_fatal_report(const char* report_utf8) {
  if (g_window != nullptr) g_window->hold_events();
  // A fixed buffer: the report must be shown when memory has run out.
  static wchar_t text[2048];
  if (MultiByteToWideChar(CP_UTF8, 0, report_utf8, -1, text, static_cast<int>(std::size(text))) ==
      0) {
    text[std::size(text) - 1] = L'\0';
  }
  MessageBoxW(nullptr, text, L"错误", MB_ICONERROR | MB_OK);
}

int run_program(HINSTANCE instance, const ProgramHooks& hooks) {
  // 1. The services: memory set aside for the fatal report, and the report's box.
  reserve_memory_for_report();
  set_fatal_reporter(hooks.reporter != nullptr ? hooks.reporter : &show_fatal_report);

  // 2. The floating-point defaults: every exception masked (1/0 gives an infinity), rounding to
  // nearest.
  std::fesetenv(FE_DFL_ENV);

  // 3. The shutdown routine, which releases the result lines that the window keeps from one run
  // to the next, and stops showing fatal reports in a box.
  ResultCache results;
  ShutdownRoutine shutdown(results, hooks.after_shutdown);

  // 5. The main window; it has run the layout rule once when it is shown.
  if (!MainWindow::register_classes(instance)) fatal_error(0, "载入启动窗口失败");
  {
    MainWindow window(instance, results);
    if (window.window() == nullptr) fatal_error(0, "载入启动窗口失败");
    g_window = &window;
    ShowWindow(window.window(), SW_SHOWDEFAULT);
    UpdateWindow(window.window());
    SetFocus(window.input_box());
    if (hooks.once_shown) hooks.once_shown(window);

    // 6. The message loop, until the window has been closed.
    run_message_loop(window);
    g_window = nullptr;
  }

  // The end sequence: the shutdown routine once.
  shutdown.run();
  return 0;
}

}  // namespace tavrel::app::win32
