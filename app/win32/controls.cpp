// SPDX-License-Identifier: MIT
#include "app/win32/controls.h"

#include <cstring>

namespace tavrel::app::win32 {
namespace {

// The window's extra bytes: a picture box keeps its icon, the link its font and whether the
// mouse is over it.
constexpr int kPictureSlot = 0;
constexpr int kLinkFontSlot = 0;
constexpr int kLinkHoverSlot = sizeof(LONG_PTR);

void paint_picture_box(HWND box) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(box, &paint);
  if (auto icon = reinterpret_cast<HICON>(GetWindowLongPtrW(box, kPictureSlot))) {
    DrawIconEx(dc, 0, 0, icon, kPictureSide, kPictureSide, 0, nullptr, DI_NORMAL);
  }
  EndPaint(box, &paint);
}

LRESULT CALLBACK picture_box_proc(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      paint_picture_box(box);
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      // The panel's own controls ask it for their colours: the window's answer holds for them.
      return SendMessageW(GetParent(box), message, wparam, lparam);
    case WM_COMMAND:
      return SendMessageW(GetParent(box), message, wparam, lparam);
    default:
      return DefWindowProcW(box, message, wparam, lparam);
  }
}

bool link_hovered(HWND link) {
  return GetWindowLongPtrW(link, kLinkHoverSlot) != 0;
}

void set_link_hovered(HWND link, bool hovered) {
  if (link_hovered(link) == hovered) return;
  SetWindowLongPtrW(link, kLinkHoverSlot, hovered ? 1 : 0);
  InvalidateRect(link, nullptr, TRUE);
}

void paint_link(HWND link) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(link, &paint);
  RECT area;
  GetClientRect(link, &area);
  wchar_t caption[64] = {};
  const int length = GetWindowTextW(link, caption, static_cast<int>(std::size(caption)));
  const auto font = reinterpret_cast<HFONT>(GetWindowLongPtrW(link, kLinkFontSlot));
  const HGDIOBJ old_font = font != nullptr ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, link_hovered(link) ? kLinkHoverColour : kLinkColour);
  DrawTextW(dc, caption, length, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (old_font != nullptr) SelectObject(dc, old_font);
  EndPaint(link, &paint);
}

LRESULT CALLBACK link_proc(HWND link, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      paint_link(link);
      return 0;
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    case WM_MOUSEMOVE: {
      if (!link_hovered(link)) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, link, 0};
        TrackMouseEvent(&track);
      }
      set_link_hovered(link, true);
      return 0;
    }
    case WM_MOUSELEAVE:
      set_link_hovered(link, false);
      return 0;
    case WM_LBUTTONDOWN:
      // The handler runs before the press goes on to the link, which does nothing with it.
      SendMessageW(GetParent(link), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(link), kLinkPressed),
                   reinterpret_cast<LPARAM>(link));
      return 0;
    default:
      return DefWindowProcW(link, message, wparam, lparam);
  }
}

bool register_class(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, int extra,
                    HCURSOR cursor) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = procedure;
  window_class.cbWndExtra = extra;
  window_class.hInstance = instance;
  window_class.hCursor = cursor;
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = name;
  return RegisterClassExW(&window_class) != 0;
}

}  // namespace

bool register_control_classes(HINSTANCE instance) {
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  return register_class(instance, kPictureBoxClass, &picture_box_proc, sizeof(LONG_PTR), arrow) &&
         register_class(instance, kLinkClass, &link_proc, 2 * sizeof(LONG_PTR),
                        LoadCursorW(nullptr, IDC_HAND));
}

HFONT make_font(int character_height) {
  // A negative height asks for the character height, without the internal leading.
  return CreateFontW(-character_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, L"微软雅黑");
}

HICON make_icon(const Picture& picture) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = kPictureSide;
  header.bV5Height = -kPictureSide;  // top-down rows, as the picture holds them
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(&header),
                                    DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (colour == nullptr) return nullptr;
  // 0xAARRGGBB is the DIB's own layout; the icon takes straight, not premultiplied, alpha.
  std::memcpy(bits, picture.data(), sizeof picture);
  GdiFlush();
  // The mask is unused where the colour bitmap has alpha, but an icon needs one.
  HBITMAP mask = CreateBitmap(kPictureSide, kPictureSide, 1, 1, nullptr);
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmMask = mask;
  info.hbmColor = colour;
  HICON icon = mask != nullptr ? CreateIconIndirect(&info) : nullptr;
  DeleteObject(colour);
  if (mask != nullptr) DeleteObject(mask);
  return icon;
}

void set_picture(HWND picture_box, HICON icon) {
  SetWindowLongPtrW(picture_box, kPictureSlot, reinterpret_cast<LONG_PTR>(icon));
  InvalidateRect(picture_box, nullptr, TRUE);
}

void set_link_font(HWND link, HFONT font) {
  SetWindowLongPtrW(link, kLinkFontSlot, reinterpret_cast<LONG_PTR>(font));
  InvalidateRect(link, nullptr, TRUE);
}

std::wstring from_utf8(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), n);
  wide.pop_back();  // the terminating zero
  return wide;
}

}  // namespace tavrel::app::win32
