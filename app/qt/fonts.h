// SPDX-License-Identifier: MIT
// The face the controls ask for, and what stands in for it where it is not installed.
#pragma once

#include <QFont>

namespace tavrel::app::qt {

// The face every control with text asks for.
inline constexpr char kFace[] = "微软雅黑";

// Maps kFace to installed faces that hold the Chinese captions, in order of preference; calling
// it again changes nothing.
void install_font_substitutions();

// Returns kFace at the given character height in pixels: regular, not italic, not underlined.
QFont control_font(int pixel_size);

}  // namespace tavrel::app::qt
