// SPDX-License-Identifier: MIT
// The window program for the tests: the same start sequence, message loop and end sequence as
// tavrel.exe, with hooks that report what happens on standard output. Its one argument names an
// action to take once the message loop runs:
//   (none)                  none; "shutdown" is written when the shutdown routine runs
//   close                   close the window
//   minimise                write the two boxes' sizes shown, minimised and restored, then close
//   fatal:<code>:<message>  raise a fatal error
//   oom                     ask for more memory than can be had
// A fatal report is written to standard output, then shown in its box, which the driver closes
// at once after writing the box's caption as "box: <caption>".
#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "app/fatal_error.h"
#include "app/win32/main_window.h"
#include "app/win32/program.h"
#include "support/fatal_action.h"

namespace {

std::string g_action;
void* volatile g_kept = nullptr;

// Returns the program's first argument in UTF-8: main's own arguments are in the ANSI code page,
// which cannot hold the Chinese of a fatal message.
std::string first_argument() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::string utf8;
  if (arguments != nullptr && count > 1) {
    char bytes[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, arguments[1], -1, bytes, sizeof bytes, nullptr, nullptr);
    utf8 = bytes;
  }
  LocalFree(arguments);
  return utf8;
}

void write_out(std::string_view bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

BOOL CALLBACK close_if_report_box(HWND window, LPARAM) {
  wchar_t caption[64] = {};
  GetWindowTextW(window, caption, 64);
  if (std::wstring_view(caption) != L"错误" || !IsWindowVisible(window)) return TRUE;
  char utf8[256] = {};
  WideCharToMultiByte(CP_UTF8, 0, caption, -1, utf8, sizeof utf8, nullptr, nullptr);
  write_out("box: ");
  write_out(utf8);
  write_out("\n");
  PostMessageW(window, WM_COMMAND, IDOK, 0);
  return FALSE;
}

void CALLBACK close_report_box(HWND, UINT, UINT_PTR timer, DWORD) {
  if (!EnumThreadWindows(GetCurrentThreadId(), &close_if_report_box, 0)) {
    KillTimer(nullptr, timer);
  }
}

void show_fatal_report_for_test(const char* report_utf8) {
  write_out(report_utf8);  // before the box: it must get out even when memory has run out
  SetTimer(nullptr, 0, 50, &close_report_box);
  tavrel::app::win32::show_fatal_report(report_utf8);
}

tavrel::app::win32::MainWindow* g_window = nullptr;

// Writes "<state>: <input width>x<height> <result width>x<height>".
void write_box_sizes(const char* state) {
  RECT input;
  RECT result;
  GetWindowRect(g_window->input_box(), &input);
  GetWindowRect(g_window->result_box(), &result);
  char line[128];
  std::snprintf(line, sizeof line, "%s: %ldx%ld %ldx%ld\n", state, input.right - input.left,
                input.bottom - input.top, result.right - result.left, result.bottom - result.top);
  write_out(line);
}

void CALLBACK take_action(HWND window, UINT, UINT_PTR timer, DWORD) {
  KillTimer(window, timer);
  std::string_view action = g_action;
  if (action == "close") {
    PostMessageW(window, WM_CLOSE, 0, 0);
  } else if (action == "minimise") {
    write_box_sizes("shown");
    ShowWindow(window, SW_MINIMIZE);
    write_box_sizes("minimised");
    ShowWindow(window, SW_RESTORE);
    write_box_sizes("restored");
    PostMessageW(window, WM_CLOSE, 0, 0);
  } else if (action == "oom") {
    // More than any address space holds.
    g_kept = ::operator new (std::size_t{1} << 62);
  } else if (const auto fatal = tavrel::support::fatal_action(action)) {
    tavrel::app::fatal_error(fatal->code, fatal->message);
  }
}

}  // namespace

int main() {
  g_action = first_argument();
  tavrel::app::win32::ProgramHooks hooks;
  hooks.reporter = &show_fatal_report_for_test;
  hooks.after_shutdown = [] { write_out("shutdown\n"); };
  hooks.once_shown = [](tavrel::app::win32::MainWindow& window) {
    g_window = &window;
    SetTimer(window.window(), 1, 10, &take_action);
  };
  return tavrel::app::win32::run_program(GetModuleHandleW(nullptr), hooks);
}
