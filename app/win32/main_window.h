// SPDX-License-Identifier: MIT
// The main window on the Win32 API: its controls, made in the form's order, the result box that
// the live run writes, and the six handlers.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/live_run.h"
#include "app/result_cache.h"
#include "app/window_rules.h"
#include "eval/script_component.h"
#include "text/text.h"

namespace tavrel::app::win32 {

class MainWindow : private ResultBox {
 public:
  // Registers the window classes; returns false when that fails. Once per process, before the
  // first window.
  static bool register_classes(HINSTANCE instance);

  // Makes the window with all its controls, centred on the primary screen and not yet shown;
  // the layout rule has run once for its client area. The window keeps its computed result
  // lines in `results`, which must outlive it. window() is null when it could not be made.
  MainWindow(HINSTANCE instance, ResultCache& results);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  HWND window() const { return m_window; }
  HWND input_box() const { return m_input; }
  HWND result_box() const { return m_result; }
  HWND decimals_box() const { return m_decimals; }

  // Handles what the window does with a message before it is dispatched (Esc closes the window,
  // a press on the empty client area, a label or a picture box drags it, Tab moves the focus);
  // returns true when the message is done with.
  bool handle_before_dispatch(const MSG& message);

  // From now on no handler runs and the window takes no input, for the fatal report.
  void hold_events();

  // Returns the box's text in UTF-16, line breaks as CR LF.
  static std::wstring box_text(HWND box);

 private:
  static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK input_proc(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                     UINT_PTR id, DWORD_PTR self);
  static LRESULT CALLBACK decimals_proc(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR id, DWORD_PTR self);
  LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
  void on_command(HWND control, WORD code);

  void create_controls();
  HWND make_control(const wchar_t* window_class, const Control& control, DWORD style,
                    DWORD extended_style, HWND parent, HFONT font);
  void apply_layout(int client_width, int client_height);
  HBRUSH control_colours(HDC dc, bool edit_box);

  // The handlers.
  void calculate(bool everything);
  void copy_result();
  void prepend_about();
  void clear_input();
  void replace_input(const std::wstring& text);
  void tidy_decimals_box();
  bool filter_decimals_char(WPARAM code);

  // The result box as the live run writes it.
  void replace_lines(std::size_t first, std::size_t end, std::string_view lines) override;
  void show_end() override;
  std::size_t result_line_start(std::size_t line) const;

  HINSTANCE m_instance;
  ResultCache& m_results;
  eval::ScriptComponent m_script;
  std::unique_ptr<LiveRun> m_live;

  HWND m_window = nullptr;
  HWND m_link = nullptr;
  HWND m_decimals = nullptr;
  HWND m_decimals_caption = nullptr;
  HWND m_decimals_symbol = nullptr;
  HWND m_decimals_panel = nullptr;
  HWND m_copy = nullptr;
  HWND m_heading = nullptr;
  HWND m_result = nullptr;
  HWND m_calculate = nullptr;
  HWND m_input = nullptr;

  int m_next_id = 1;  // of the next control, for its WM_COMMAND

  HFONT m_font = nullptr;
  HFONT m_link_font = nullptr;
  HICON m_icon = nullptr;
  HICON m_symbol = nullptr;
  HBRUSH m_white = nullptr;

  // The result box's lines as the live run wrote them, in UTF-16 units with their CR LF: the
  // edit control's own line numbers count wrapped lines, not the lines between line breaks.
  std::vector<std::size_t> m_result_lengths;
  std::size_t m_result_length = 0;
  bool m_redraw_held = false;

  bool m_replacing_input = false;  // the input box's own change notice is not a second change
  bool m_held = false;
  bool m_closing_in_code = false;  // destroyed by the destructor: the program does not end
};

}  // namespace tavrel::app::win32
