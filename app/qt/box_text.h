// SPDX-License-Identifier: MIT
// Box texts across the boundary between the toolkit's Unicode and the core's GBK bytes.
#pragma once

#include <QString>
#include <cstddef>
#include <string_view>

#include "text/text.h"

namespace tavrel::app::qt {

// Returns the text of an edit box in GBK, each line break as CR LF; a character GBK cannot hold
// becomes "?".
text::Text core_text(const QString& box_text);

// Returns a GBK text as an edit box takes it; the box makes a line break of CR LF.
QString box_text(std::string_view core_text);

}  // namespace tavrel::app::qt
