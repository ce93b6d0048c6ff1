// SPDX-License-Identifier: MIT
// The program's entry: the start sequence, the event loop, the end sequence and the fatal path.
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <cfenv>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/fatal_error.h"
#include "app/window/display.h"
#include "app/window/fatal_report_box.h"
#include "app/window/main_window.h"
#include "app/window/memory.h"
#include "app/window/shutdown.h"

namespace {

using tavrel::window::no_display_message;

// The shutdown routine, registered once at start-up; runs at most once, at the normal end. The
// fatal path ends the process without it.
class ShutdownRoutine {
 public:
  explicit ShutdownRoutine(std::function<void()> routine) : m_routine(std::move(routine)) {}
  void run() {
    if (std::function<void()> routine = std::exchange(m_routine, nullptr)) routine();
  }

 private:
  std::function<void()> m_routine;
};

// While the toolkit starts, the platform plugin's messages are kept back: if it cannot reach a
// display, one plain line says so instead of the plugin's fatal error.
struct StartMessages {
  QtMessageHandler previous = nullptr;
  std::vector<std::pair<std::string, QString>> kept;  // category, message
};
StartMessages g_start_messages;

std::string display_reason() {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (display != nullptr && *display != '\0') {
    return std::string("the X display \"") + display + "\" cannot be opened";
  }
  if (wayland != nullptr && *wayland != '\0') {
    return std::string("the Wayland display \"") + wayland + "\" cannot be opened";
  }
  return "the platform plugin found no display";
}

void keep_start_message(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", no_display_message(display_reason()).c_str());
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

// The test seam. TAVREL_TEST_SEAM, read here only, makes the program write each fatal report to
// standard output and close its box at once, and write "shutdown" when the shutdown routine
// runs; its value may also name one action to take once the event loop runs:
//   close                   close the window
//   fatal:<code>:<message>  raise a fatal error
//   oom                     run out of memory, 64 bytes at a time
void write_out(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void show_fatal_report_for_test(const char* report_utf8) {
  write_out(report_utf8);  // before the box: it must get out even when memory has run out
  const std::unique_ptr<QMessageBox> box = tavrel::window::make_fatal_report_box(report_utf8);
  QTimer::singleShot(0, box.get(), &QMessageBox::accept);
  tavrel::window::run_fatal_report_box(*box);
}

// Caps the address space a little above what the process uses, then asks for 64 bytes at a time
// until an allocation fails.
[[noreturn]] void exhaust_memory() {
  long pages = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
    std::fclose(statm);
  }
  rlimit cap{};
  getrlimit(RLIMIT_AS, &cap);
  cap.rlim_cur =
      static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{8} << 20);
  setrlimit(RLIMIT_AS, &cap);
  // Each block holds the one before, so none of them is unused.
  static void* volatile chain = nullptr;
  for (;;) {
    void** block = static_cast<void**>(::operator new(64));
    *block = chain;
    chain = block;
  }
}

void schedule_test_action(std::string_view action, tavrel::window::MainWindow& window) {
  if (action == "close") {
    QTimer::singleShot(0, &window, &QWidget::close);
  } else if (action == "oom") {
    QTimer::singleShot(0, &window, [] { exhaust_memory(); });
  } else if (action.starts_with("fatal:")) {
    action.remove_prefix(6);
    std::int32_t code = 0;
    const auto [end, error] = std::from_chars(action.data(), action.data() + action.size(), code);
    const std::string message =
        error == std::errc() && end < action.data() + action.size() && *end == ':'
            ? std::string(end + 1, action.data() + action.size())
            : std::string();
    QTimer::singleShot(0, &window, [code, message] { tavrel::app::fatal_error(code, message); });
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* seam = std::getenv("TAVREL_TEST_SEAM");

  // 1. The services: memory set aside for the fatal report, then the toolkit, provided there is
  // a display to show the window on.
  tavrel::window::reserve_memory_for_report();
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (!tavrel::window::display_available(platform, std::getenv("DISPLAY"),
                                         std::getenv("WAYLAND_DISPLAY"))) {
    std::fprintf(stderr, "%s\n",
                 no_display_message(tavrel::window::missing_display(platform)).c_str());
    return 1;
  }
  g_start_messages.previous = qInstallMessageHandler(&keep_start_message);
  QApplication application(argc, argv);
  pass_on_start_messages();
  tavrel::app::set_fatal_reporter(seam != nullptr ? &show_fatal_report_for_test
                                                  : &tavrel::window::show_fatal_report);

  // 2. The floating-point defaults: every exception masked (1/0 gives an infinity), rounding to
  // nearest.
  std::fesetenv(FE_DFL_ENV);

  // 3. The shutdown routine, which releases the result lines that the window keeps from one run
  // to the next.
  tavrel::app::ResultCache results;
  ShutdownRoutine shutdown([&results, seam] {
    tavrel::window::shutdown_routine(results);
    if (seam != nullptr) write_out("shutdown\n");
  });

  // 5. The main window; Qt holds its move and resize events back until it is shown, then
  // delivers them in that order, so the layout rule runs once before it appears.
  {
    tavrel::window::MainWindow window(results);
    window.show();
    if (seam != nullptr) schedule_test_action(seam, window);

    // 6. The event loop, until the window has been closed.
    application.exec();
  }

  // The end sequence: the shutdown routine once; the toolkit goes with `application`.
  shutdown.run();
  return 0;
}
