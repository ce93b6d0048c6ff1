// SPDX-License-Identifier: MIT
// What every front end's main window does the same way: its form (the controls, their places,
// sizes and texts), the about text, and the rules of the handlers that are not a calculation run.
#pragma once

#include <optional>
#include <string_view>

#include "text/text.h"

namespace tavrel::app {

// The outer size of the window (frame and title bar included), which it is centred by, and the
// client area it is laid out for.
inline constexpr int kOuterWidth = 406;
inline constexpr int kOuterHeight = 398;
inline constexpr int kClientWidth = 396;
inline constexpr int kClientHeight = 372;

inline constexpr char kCaption[] = "Tavrel";

// The character heights of the controls' font and of the link's.
inline constexpr int kTextHeight = 12;
inline constexpr int kLinkTextHeight = 14;

struct Rect {
  int left;
  int top;
  int width;
  int height;
};

// One control of the form: its form name (the object name in the toolkit), its place in its
// parent's client area and its text at start.
struct Control {
  const char* name;
  Rect rect;
  const char* text;
};

// The controls in the order they are created and stacked, the first on top. The three controls
// of the decimal places panel lie in the panel's client area; the others in the window's.
namespace form {
inline constexpr char kWindow[] = "窗口";
inline constexpr Control kScript{"脚本组件2", {344, 8, 32, 32}, ""};
inline constexpr Control kLink{"超级链接框1", {182, 9, 44, 15}, "关于"};
inline constexpr Control kDecimals{"编辑框3", {79, 3, 45, 24}, ""};
inline constexpr Control kDecimalsCaption{"标签1", {26, 7, 48, 16}, "保留小数:"};
inline constexpr Control kDecimalsSymbol{"图片框1", {8, 8, 16, 16}, ""};
inline constexpr Control kDecimalsPanel{"图片框2", {248, 176, 136, 32}, ""};
inline constexpr Control kCopy{"按钮2", {32, 184, 88, 24}, "复制结果"};
inline constexpr Control kHeading{"标签2", {16, 7, 216, 24}, "计算文本中的数学算式（每行）"};
inline constexpr Control kResult{"编辑框2", {0, 216, 384, 152}, ""};
inline constexpr Control kCalculate{"按钮1", {124, 183, 112, 24}, "计算"};
inline constexpr Control kInput{"编辑框1", {0, 32, 392, 144}, ""};
}  // namespace form

// The about text that the link puts in front of the input: four lines, each ending with CR LF
// (name and version, year and maker, web address, thanks). ASCII: the same bytes in GBK.
inline constexpr std::string_view kAboutText =
    " Tavrel v" TAVREL_VERSION
    "\r\n"
    "(C) 2026 the Tavrel authors\r\n"
    "https://tavrel.example/\r\n"
    "Thanks to the Tavrel authors for the formula module\r\n";

// Returns the text that the copy button puts on the clipboard, or nothing when the result box
// is empty and the clipboard keeps what it holds.
std::optional<text::Text> text_to_copy(std::string_view result);

// Returns the place of the window's top-left corner that centres it on a screen of this size.
int centred(int screen_extent, int window_extent);

// The largest width or height a control takes. 32627, not 32767: the form's own limit, kept
// as it stands.
inline constexpr int kMaxExtent = 32627;

// The sizes the layout rule gives the input box and the result box.
struct BoxLayout {
  int input_width;
  int result_width;
  int result_height;
};

// Returns a width or height as a control applies it: cut toward zero, below 0 as 0, above
// kMaxExtent as kMaxExtent.
int control_extent(double value);

// Returns the layout for a client area: both boxes 4 pixels narrower than it, the result box
// reaching down to 4 pixels above its bottom edge from its top at result_top. A minimised window
// has a client area of 0 x 0, which gives 0 for all three.
BoxLayout layout_rule(int client_width, int client_height, int result_top);

}  // namespace tavrel::app
