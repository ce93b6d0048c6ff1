// SPDX-License-Identifier: MIT
// Box texts across the boundary between the toolkit's Unicode and the core's GBK bytes.
#pragma once

#include <QString>
#include <cstddef>
#include <string_view>

#include "app/window/input_lines.h"
#include "text/text.h"

class QTextDocument;

namespace tavrel::window {

// Returns the text of an edit box in GBK, each line break as CR LF; a character GBK cannot hold
// becomes "?".
text::Text core_text(const QString& box_text);

// Returns a GBK text as an edit box takes it; the box makes a line break of CR LF.
QString box_text(std::string_view core_text);

// Returns blocks [first, end) of the document as it stores them, each followed by U+2029 except
// the document's last block.
QString raw_blocks(const QTextDocument& document, std::size_t first, std::size_t end);

// Returns blocks [first, end) of a multi-line box as its text reads them (every line break as
// CR LF, a no-break space as a blank, as core_text of the box's text gives them), with the
// number of pieces its own line breaks cut each block into and which blocks are too long for
// word wrapping.
BlockText block_text(const QTextDocument& document, std::size_t first, std::size_t end);

}  // namespace tavrel::window
