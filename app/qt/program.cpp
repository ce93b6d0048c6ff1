// SPDX-License-Identifier: MIT
#include "app/qt/program.h"

#include <QApplication>
#include <QString>
#include <cfenv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/display.h"
#include "app/program_memory.h"
#include "app/qt/fatal_report_box.h"
#include "app/qt/main_window.h"
#include "app/result_cache.h"
#include "app/shutdown.h"

namespace tavrel::app::qt {
namespace {

// While the toolkit starts, the platform plugin's messages are kept back: if it cannot reach a
// display, one plain line says so instead of the plugin's fatal error.
struct StartMessages {
  QtMessageHandler previous = nullptr;
  std::vector<std::pair<std::string, QString>> kept;  // category, message
};
StartMessages g_start_messages;

void keep_start_message(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    std::fprintf(
        stderr, "%s\n",
        no_display_message(display_reason(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY")))
            .c_str());
    std::_Exit(1);
  }
  if (context.category != nullptr && std::strncmp(context.category, "qt.qpa.", 7) == 0) {
    g_start_messages.kept.emplace_back(context.category, message);
    return;
  }
  g_start_messages.previous(type, context, message);
}

void pass_on_start_messages() {
  qInstallMessageHandler(g_start_messages.previous);
  for (const auto& [category, message] : g_start_messages.kept) {
    const QMessageLogContext context(nullptr, 0, nullptr, category.c_str());
    g_start_messages.previous(QtWarningMsg, context, message);
  }
  g_start_messages.kept.clear();
}

}  // namespace

int run_program(int argc, char** argv, const ProgramHooks& hooks) {
  // 1. The services: memory set aside for the fatal report, then the toolkit, provided there is
  // a display to show the window on.
  reserve_memory_for_report();
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (!display_available(platform, std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"))) {
    std::fprintf(stderr, "%s\n", no_display_message(missing_display(platform)).c_str());
    return 1;
  }
  g_start_messages.previous = qInstallMessageHandler(&keep_start_message);
  QApplication application(argc, argv);
  pass_on_start_messages();
  set_fatal_reporter(hooks.reporter != nullptr ? hooks.reporter : &show_fatal_report);

  // 2. The floating-point defaults: every exception masked (1/0 gives an infinity), rounding to
  // nearest.
  std::fesetenv(FE_DFL_ENV);

  // 3. The shutdown routine, which releases the result lines that the window keeps from one run
  // to the next (the formula normaliser keeps no texts between calls), and stops showing fatal
  // reports in a box, since the toolkit goes away after it.
  ResultCache results;
  ShutdownRoutine shutdown(results, hooks.after_shutdown);

  // 5. The main window; Qt holds its move and resize events back until it is shown, then
  // delivers them in that order, so the layout rule runs once before it appears.
  {
    MainWindow window(results);
    window.show();
    if (hooks.once_shown) hooks.once_shown(window);

    // 6. The event loop, until the window has been closed.
    application.exec();
  }

  // The end sequence: the shutdown routine once; the toolkit goes with `application`.
  shutdown.run();
  return 0;
}

}  // namespace tavrel::app::qt
