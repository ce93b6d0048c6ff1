// SPDX-License-Identifier: MIT
// The Windows window's keystrokes: inputs of 1,000, 10,000 and 100,000 generated lines, a
// character typed into a line and deleted again at places spread over the input, each timed from
// the WM_CHAR until the calculation run that its EN_CHANGE starts has returned, and again with
// the window repainted; then how long the boxes take to hold documents of growing size.
//
//   keystroke lines=N median_ms=... p95_ms=... painted_median_ms=... painted_p95_ms=...
//             first_run_ms=...
//   document chars=N held=yes|no set_ms=... first_run_ms=... keystroke_ms=...
//
// Runs under Wine with a display (make windows-bench), or on Windows.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/result_cache.h"
#include "app/win32/code_page.h"
#include "app/win32/main_window.h"
#include "support/line_generator.h"

namespace {

using tavrel::app::win32::MainWindow;

double now_ms() {
  static const double ticks_per_ms = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / ticks_per_ms;
}

double percentile(std::vector<double> samples, double fraction) {
  std::sort(samples.begin(), samples.end());
  const auto at =
      static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1) + 0.5);
  return samples[at];
}

void pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void paint(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// Returns `lines` generated lines joined by CR LF, and where each line begins.
std::wstring document(std::size_t lines, std::vector<std::size_t>& starts) {
  tavrel::support::lines::line_generator generator(lines);
  std::wstring text;
  for (std::size_t i = 0; i < lines; ++i) {
    starts.push_back(text.size());
    std::wstring line = tavrel::app::win32::from_gbk(generator.next());
    std::erase_if(line, [](wchar_t c) { return c == L'\r' || c == L'\n'; });
    text += line;
    if (i + 1 < lines) text += L"\r\n";
  }
  return text;
}

// Types a character at `place` and times it, plain and with the window repainted after it.
void type_at(const MainWindow& window, std::size_t place, wchar_t character,
             std::vector<double>& plain, std::vector<double>& painted) {
  SendMessageW(window.input_box(), EM_SETSEL, place, place);
  const double start = now_ms();
  SendMessageW(window.input_box(), WM_CHAR, character, 1);
  const double typed = now_ms();
  paint(window.window());
  plain.push_back(typed - start);
  painted.push_back(now_ms() - start);
}

void keystrokes(HINSTANCE instance, std::size_t lines) {
  tavrel::app::ResultCache results;
  MainWindow window(instance, results);
  ShowWindow(window.window(), SW_SHOW);
  pump();
  std::vector<std::size_t> starts;
  const std::wstring text = document(lines, starts);
  SetWindowTextW(window.input_box(), text.c_str());  // a multi-line box reports no change for it
  std::vector<double> plain, painted;
  // The first change runs over every line.
  type_at(window, text.size(), L'1', plain, painted);
  const double first_run = plain.back();
  plain.clear();
  painted.clear();
  constexpr int kSamples = 100;
  for (int i = 0; i < kSamples; ++i) {
    const std::size_t line = (static_cast<std::size_t>(i) * 7919 + 13) % lines;
    type_at(window, starts[line], L'7', plain, painted);
    type_at(window, starts[line] + 1, L'\b', plain, painted);
  }
  std::printf(
      "keystroke lines=%zu median_ms=%.3f p95_ms=%.3f painted_median_ms=%.3f "
      "painted_p95_ms=%.3f first_run_ms=%.1f\n",
      lines, percentile(plain, 0.5), percentile(plain, 0.95), percentile(painted, 0.5),
      percentile(painted, 0.95), first_run);
  std::fflush(stdout);
}

// Fills the input box with a document of about `chars` characters in lines of 40.
void document_size(HINSTANCE instance, std::size_t chars) {
  tavrel::app::ResultCache results;
  MainWindow window(instance, results);
  ShowWindow(window.window(), SW_SHOW);
  pump();
  std::wstring line = L"3 apples + 4 pears at 2.5 each, total ";
  line += L"\r\n";
  std::wstring text;
  text.reserve(chars + line.size());
  while (text.size() < chars) text += line;
  const double start = now_ms();
  SetWindowTextW(window.input_box(), text.c_str());
  const double set = now_ms() - start;
  const bool held =
      static_cast<std::size_t>(GetWindowTextLengthW(window.input_box())) == text.size();
  std::vector<double> plain, painted;
  type_at(window, 0, L'1', plain, painted);  // the first run, over every line
  type_at(window, 0, L'2', plain, painted);
  std::printf("document chars=%zu held=%s set_ms=%.0f first_run_ms=%.0f keystroke_ms=%.1f\n",
              text.size(), held ? "yes" : "no", set, plain[0], plain[1]);
  std::fflush(stdout);
}

}  // namespace

int main() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!MainWindow::register_classes(instance)) return 1;
  for (const std::size_t lines : {1000, 10000, 100000}) keystrokes(instance, lines);
  for (const std::size_t chars :
       {std::size_t{1} << 20, std::size_t{1} << 23, std::size_t{1} << 25}) {
    document_size(instance, chars);
  }
  return 0;
}
