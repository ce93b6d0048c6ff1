// SPDX-License-Identifier: MIT
// The window program for the start-up tests: the same start sequence, event loop and end
// sequence as tavrel, with hooks that report what happens and act on the window.
#include <sys/resource.h>
#include <unistd.h>

#include <QMessageBox>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "app/fatal_error.h"
#include "app/qt/fatal_report_box.h"
#include "app/qt/main_window.h"
#include "app/qt/program.h"
#include "support/fatal_action.h"

namespace {

// TAVREL_TEST_SEAM makes the program write each fatal report to standard output and close its
// box at once, and write "shutdown" when the shutdown routine runs; its value may also name one
// action to take once the event loop runs:
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
  const std::unique_ptr<QMessageBox> box = tavrel::app::qt::make_fatal_report_box(report_utf8);
  QTimer::singleShot(0, box.get(), &QMessageBox::accept);
  tavrel::app::qt::run_fatal_report_box(*box);
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

void schedule_test_action(std::string_view action, tavrel::app::qt::MainWindow& window) {
  if (action == "close") {
    QTimer::singleShot(0, &window, &QWidget::close);
  } else if (action == "oom") {
    QTimer::singleShot(0, &window, [] { exhaust_memory(); });
  } else if (const auto fatal = tavrel::support::fatal_action(action)) {
    QTimer::singleShot(0, &window,
                       [fatal] { tavrel::app::fatal_error(fatal->code, fatal->message); });
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* seam = std::getenv("TAVREL_TEST_SEAM");
  tavrel::app::qt::ProgramHooks hooks;
  if (seam != nullptr) {
    hooks.reporter = &show_fatal_report_for_test;
    hooks.after_shutdown = [] { write_out("shutdown\n"); };
    hooks.once_shown = [seam](tavrel::app::qt::MainWindow& window) {
      schedule_test_action(seam, window);
    };
  }
  return tavrel::app::qt::run_program(argc, argv, hooks);
}
