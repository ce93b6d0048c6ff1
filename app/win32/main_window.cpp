// SPDX-License-Identifier: MIT
#include "app/win32/main_window.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <numeric>

#include "app/decimals.h"
#include "app/pictures.h"
#include "app/win32/code_page.h"
#include "app/win32/controls.h"

namespace tavrel::app::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"TavrelMainWindow";

constexpr DWORD kTextBoxStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | ES_LEFT |
                                ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
constexpr DWORD kDecimalsBoxStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | ES_LEFT | ES_AUTOHSCROLL;
constexpr DWORD kLabelStyle =
    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;
constexpr DWORD kButtonStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
constexpr DWORD kPictureStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

// The subclasses of the input box and of the decimal places box.
constexpr UINT_PTR kInputSubclass = 1;
constexpr UINT_PTR kDecimalsSubclass = 2;

RECT place_in_parent(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Sets a control's width and height; it keeps its place.
void resize(HWND control, int width, int height) {
  SetWindowPos(control, nullptr, 0, 0, width, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

int width_of(HWND control) {
  const RECT rect = place_in_parent(control);
  return rect.right - rect.left;
}

int height_of(HWND control) {
  const RECT rect = place_in_parent(control);
  return rect.bottom - rect.top;
}

// Returns the length of each line of the text, its CR LF included; the text ends with CR LF.
std::vector<std::size_t> line_lengths(std::wstring_view text) {
  std::vector<std::size_t> lengths;
  std::size_t start = 0;
  for (std::size_t at = text.find(L"\r\n"); at != std::wstring_view::npos;
       at = text.find(L"\r\n", start)) {
    lengths.push_back(at + 2 - start);
    start = at + 2;
  }
  if (start < text.size()) lengths.push_back(text.size() - start);
  return lengths;
}

// Puts data on the opened clipboard in a block of its own.
void put_on_clipboard(UINT format, const void* data, std::size_t bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (block == nullptr) return;
  if (void* target = GlobalLock(block)) {
    std::copy_n(static_cast<const char*>(data), bytes, static_cast<char*>(target));
    GlobalUnlock(block);
    if (SetClipboardData(format, block) != nullptr) return;  // the clipboard owns it now
  }
  GlobalFree(block);
}

}  // namespace

bool MainWindow::register_classes(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = &MainWindow::window_proc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  return RegisterClassExW(&window_class) != 0 && register_control_classes(instance);
}

MainWindow::MainWindow(HINSTANCE instance, ResultCache& results)
    : m_instance(instance),
      m_results(results),
      m_font(make_font(kTextHeight)),
      m_link_font(make_font(kLinkTextHeight)),
      m_icon(make_icon(window_icon())),
      m_symbol(make_icon(decimals_symbol())),
      m_white(CreateSolidBrush(RGB(255, 255, 255))) {
  ResultBox& box = *this;
  m_live = std::make_unique<LiveRun>(box, m_results, m_script);
  // WM_CREATE makes the controls; the WM_SIZE that follows it runs the layout rule.
  CreateWindowExW(0, kWindowClass, from_utf8(kCaption).c_str(),
                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                  centred(GetSystemMetrics(SM_CXSCREEN), kOuterWidth),
                  centred(GetSystemMetrics(SM_CYSCREEN), kOuterHeight), kOuterWidth, kOuterHeight,
                  nullptr, nullptr, instance, this);
}

MainWindow::~MainWindow() {
  if (m_window != nullptr) {
    m_closing_in_code = true;
    DestroyWindow(m_window);
  }
  for (HFONT font : {m_font, m_link_font}) {
    if (font != nullptr) DeleteObject(font);
  }
  for (HICON icon : {m_icon, m_symbol}) {
    if (icon != nullptr) DestroyIcon(icon);
  }
  if (m_white != nullptr) DeleteObject(m_white);
}

LRESULT CALLBACK MainWindow::window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->m_window = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->m_window = nullptr;
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return self->handle(message, wparam, lparam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
      SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
      create_controls();
      return 0;
    case WM_SIZE:
      // Minimised, the client area is 0 x 0, whatever the size the message carries.
      if (m_input != nullptr && !m_held) {
        const bool minimised = wparam == SIZE_MINIMIZED;
        apply_layout(minimised ? 0 : LOWORD(lparam), minimised ? 0 : HIWORD(lparam));
      }
      return 0;
    case WM_COMMAND:
      if (lparam != 0 && !m_held) on_command(reinterpret_cast<HWND>(lparam), HIWORD(wparam));
      return 0;
    case WM_CTLCOLOREDIT:
      return reinterpret_cast<LRESULT>(control_colours(reinterpret_cast<HDC>(wparam), true));
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(control_colours(reinterpret_cast<HDC>(wparam), false));
    case WM_CLOSE:
      if (m_held) return 0;  // the fatal report ends the program, not the close button
      break;
    case WM_DESTROY:
      if (!m_closing_in_code) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(m_window, message, wparam, lparam);
}

void MainWindow::on_command(HWND control, WORD code) {
  if (control == m_input && code == EN_CHANGE) {
    if (!m_replacing_input) calculate(false);
  } else if (control == m_result && code == EN_CHANGE) {
    m_live->note_result_change();
  } else if (control == m_calculate && code == BN_CLICKED) {
    calculate(true);
  } else if (control == m_copy && code == BN_CLICKED) {
    copy_result();
  } else if (control == m_link && code == kLinkPressed) {
    prepend_about();
  }
}

HBRUSH MainWindow::control_colours(HDC dc, bool edit_box) {
  // Edit boxes: black on white. Labels: black on the button-face colour.
  SetTextColor(dc, RGB(0, 0, 0));
  if (edit_box) {
    SetBkColor(dc, RGB(255, 255, 255));
    return m_white;
  }
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

HWND MainWindow::make_control(const wchar_t* window_class, const Control& control, DWORD style,
                              DWORD extended_style, HWND parent, HFONT font) {
  HWND made = CreateWindowExW(
      extended_style, window_class, from_utf8(control.text).c_str(), style, control.rect.left,
      control.rect.top, control.rect.width, control.rect.height, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(m_next_id++)), m_instance, nullptr);
  if (made == nullptr) return nullptr;
  // The form lists its controls top first: each new one goes beneath those made before it.
  SetWindowPos(made, HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
  if (font != nullptr) SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return made;
}

void MainWindow::create_controls() {
  // 脚本组件2, the script component, is no window: m_script.
  m_link = make_control(kLinkClass, form::kLink, kPictureStyle, 0, m_window, nullptr);
  set_link_font(m_link, m_link_font);

  // The panel comes before the three controls it holds, which need their parent; stacking is
  // among siblings, so the order within either set is the form's.
  m_decimals_panel =
      make_control(kPictureBoxClass, form::kDecimalsPanel, kPictureStyle | WS_CLIPCHILDREN,
                   WS_EX_CONTROLPARENT, m_window, nullptr);
  m_decimals = make_control(WC_EDITW, form::kDecimals, kDecimalsBoxStyle, WS_EX_CLIENTEDGE,
                            m_decimals_panel, m_font);
  m_decimals_caption =
      make_control(WC_STATICW, form::kDecimalsCaption, kLabelStyle, 0, m_decimals_panel, m_font);
  m_decimals_symbol = make_control(kPictureBoxClass, form::kDecimalsSymbol, kPictureStyle, 0,
                                   m_decimals_panel, nullptr);
  set_picture(m_decimals_symbol, m_symbol);

  m_copy = make_control(WC_BUTTONW, form::kCopy, kButtonStyle, 0, m_window, m_font);
  m_heading = make_control(WC_STATICW, form::kHeading, kLabelStyle, 0, m_window, m_font);
  m_result =
      make_control(WC_EDITW, form::kResult, kTextBoxStyle, WS_EX_CLIENTEDGE, m_window, m_font);
  m_calculate = make_control(WC_BUTTONW, form::kCalculate, kButtonStyle, 0, m_window, m_font);
  m_input = make_control(WC_EDITW, form::kInput, kTextBoxStyle, WS_EX_CLIENTEDGE, m_window, m_font);

  // No limit on the length of the text (the default is 30,000 characters).
  for (HWND box : {m_input, m_result, m_decimals}) SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
  SetWindowSubclass(m_input, &MainWindow::input_proc, kInputSubclass,
                    reinterpret_cast<DWORD_PTR>(this));
  SetWindowSubclass(m_decimals, &MainWindow::decimals_proc, kDecimalsSubclass,
                    reinterpret_cast<DWORD_PTR>(this));
  // Input methods would write their results past the typing filter: the box takes none.
  ImmAssociateContext(m_decimals, nullptr);
}

LRESULT CALLBACK MainWindow::input_proc(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR, DWORD_PTR self_data) {
  auto* self = reinterpret_cast<MainWindow*>(self_data);
  // The handler runs before the box itself handles the double-click.
  if (message == WM_LBUTTONDBLCLK && !self->m_held) self->clear_input();
  return DefSubclassProc(box, message, wparam, lparam);
}

LRESULT CALLBACK MainWindow::decimals_proc(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                           UINT_PTR, DWORD_PTR self_data) {
  auto* self = reinterpret_cast<MainWindow*>(self_data);
  switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR:
      if (!accepts_decimals_char(static_cast<char32_t>(wparam))) return 0;
      break;
    case WM_KILLFOCUS:
      if (!self->m_held) self->tidy_decimals_box();
      break;
    default:
      break;
  }
  return DefSubclassProc(box, message, wparam, lparam);
}

bool MainWindow::handle_before_dispatch(const MSG& message) {
  if (m_window == nullptr || (message.hwnd != m_window && !IsChild(m_window, message.hwnd))) {
    return false;
  }
  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
    SendMessageW(m_window, WM_CLOSE, 0, 0);
    return true;
  }
  if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 &&
      GetKeyState(VK_MENU) >= 0) {
    const bool backwards = GetKeyState(VK_SHIFT) < 0;
    if (HWND next = GetNextDlgTabItem(m_window, GetFocus(), backwards)) SetFocus(next);
    return true;
  }
  // A press on the empty client area, a label or a picture box drags the window as its title
  // bar does. The labels let the mouse through to what lies beneath them (HTTRANSPARENT).
  const HWND drags[] = {m_window, m_heading, m_decimals_caption, m_decimals_panel,
                        m_decimals_symbol};
  if (message.message == WM_LBUTTONDOWN &&
      std::find(std::begin(drags), std::end(drags), message.hwnd) != std::end(drags)) {
    ReleaseCapture();
    SendMessageW(m_window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    return true;
  }
  return false;
}

void MainWindow::hold_events() {
  m_held = true;
  if (m_window != nullptr) EnableWindow(m_window, FALSE);
}

std::wstring MainWindow::box_text(HWND box) {
  std::wstring text(static_cast<std::size_t>(std::max(GetWindowTextLengthW(box), 0)), L'\0');
  const int copied = GetWindowTextW(box, text.data(), static_cast<int>(text.size() + 1));
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

void MainWindow::apply_layout(int client_width, int client_height) {
  const BoxLayout layout = layout_rule(client_width, client_height, place_in_parent(m_result).top);
  resize(m_input, layout.input_width, height_of(m_input));
  // Two separate resizes of the result box, one per property, as the rule sets them.
  resize(m_result, layout.result_width, height_of(m_result));
  resize(m_result, width_of(m_result), layout.result_height);
}

void MainWindow::calculate(bool everything) {
  m_live->run_text(to_gbk(box_text(m_input)), to_gbk(box_text(m_decimals)), everything);
}

void MainWindow::copy_result() {
  if (!text_to_copy(to_gbk(box_text(m_result)))) return;
  const std::wstring wide = box_text(m_result);
  const text::Text gbk = to_gbk(wide);
  if (!OpenClipboard(m_window)) return;  // held by another program: nothing happens
  EmptyClipboard();
  // Both with their terminating zero: the system code page's text and the same in UTF-16.
  put_on_clipboard(CF_TEXT, gbk.c_str(), gbk.size() + 1);
  put_on_clipboard(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  CloseClipboard();
}

void MainWindow::prepend_about() {
  // In front of the box's own UTF-16 text, which keeps what code page 936 cannot hold.
  replace_input(from_gbk(kAboutText) + box_text(m_input));
}

void MainWindow::clear_input() {
  replace_input(std::wstring());
}

void MainWindow::replace_input(const std::wstring& text) {
  // One undo step; the box's own change notice is not counted, so that exactly one run follows,
  // also when the text stays the same.
  m_replacing_input = true;
  SendMessageW(m_input, EM_SETSEL, 0, -1);
  SendMessageW(m_input, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
  m_replacing_input = false;
  calculate(false);
}

void MainWindow::tidy_decimals_box() {
  const std::wstring old = box_text(m_decimals);
  const std::wstring tidied = from_gbk(tidy_decimals(to_gbk(old)));
  if (tidied == old) return;  // the selection stays as it is, hidden until the focus returns
  DWORD selection_start = 0;
  SendMessageW(m_decimals, EM_GETSEL, reinterpret_cast<WPARAM>(&selection_start), 0);
  SetWindowTextW(m_decimals, tidied.c_str());
  SendMessageW(m_decimals, EM_SETSEL, selection_start, selection_start);
}

std::size_t MainWindow::result_line_start(std::size_t line) const {
  // Counted from whichever end is nearer.
  const auto at = m_result_lengths.begin() + static_cast<std::ptrdiff_t>(line);
  if (line <= m_result_lengths.size() / 2) {
    return std::accumulate(m_result_lengths.begin(), at, std::size_t{0});
  }
  const auto whole = static_cast<std::size_t>(GetWindowTextLengthW(m_result));
  return whole - std::accumulate(at, m_result_lengths.end(), std::size_t{0});
}

void MainWindow::replace_lines(std::size_t first, std::size_t end, std::string_view lines) {
  if (!m_redraw_held) {
    SendMessageW(m_result, WM_SETREDRAW, FALSE, 0);
    m_redraw_held = true;
  }
  const std::wstring text = from_gbk(lines);
  const std::size_t count = m_result_lengths.size();
  const auto whole = static_cast<std::size_t>(GetWindowTextLengthW(m_result));
  const std::size_t from = first >= count ? whole : result_line_start(first);
  const std::size_t to = end >= count ? whole : result_line_start(end);
  SendMessageW(m_result, EM_SETSEL, from, to);
  SendMessageW(m_result, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));

  const std::vector<std::size_t> lengths = line_lengths(text);
  const auto begin = m_result_lengths.begin() + static_cast<std::ptrdiff_t>(std::min(first, count));
  m_result_lengths.erase(
      begin, m_result_lengths.begin() + static_cast<std::ptrdiff_t>(std::min(end, count)));
  m_result_lengths.insert(
      m_result_lengths.begin() + static_cast<std::ptrdiff_t>(std::min(first, count)),
      lengths.begin(), lengths.end());
}

void MainWindow::show_end() {
  if (m_redraw_held) {
    SendMessageW(m_result, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_result, nullptr, TRUE);
    m_redraw_held = false;
  }
  const int length = GetWindowTextLengthW(m_result);
  SendMessageW(m_result, EM_SETSEL, length, length);
  SendMessageW(m_result, EM_SCROLLCARET, 0, 0);
}

}  // namespace tavrel::app::win32
