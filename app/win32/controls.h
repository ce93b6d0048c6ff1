// SPDX-License-Identifier: MIT
// What the main window is built from beyond the system's own controls: the fonts, the pictures
// as icons, and two small window classes, the picture box and the link.
#pragma once

#include <windows.h>

#include <string>

#include "app/pictures.h"

namespace tavrel::app::win32 {

// The window classes of the picture box and the link.
inline constexpr wchar_t kPictureBoxClass[] = L"TavrelPictureBox";
inline constexpr wchar_t kLinkClass[] = L"TavrelLink";

// The notification code that the link sends its parent in a WM_COMMAND when the left mouse
// button is pressed on it.
inline constexpr WORD kLinkPressed = 1;

// The link's text colours: normally (visited too) and while the mouse is over it.
inline constexpr COLORREF kLinkColour = RGB(192, 192, 192);
inline constexpr COLORREF kLinkHoverColour = RGB(128, 224, 0);

// Registers the picture box and the link classes; returns false when that fails.
bool register_control_classes(HINSTANCE instance);

// Returns the controls' font, 微软雅黑 of the given character height in pixels, regular, with the
// default character set and proof quality.
HFONT make_font(int character_height);

// Returns the picture as an icon with its alpha channel, or null when it cannot be made.
HICON make_icon(const Picture& picture);

// Shows the icon (not owned) at the top-left corner of a picture box; null shows none.
void set_picture(HWND picture_box, HICON icon);

// Sets the link's font (not owned).
void set_link_font(HWND link, HFONT font);

// Returns the UTF-8 text as UTF-16.
std::wstring from_utf8(const char* utf8);

}  // namespace tavrel::app::win32
