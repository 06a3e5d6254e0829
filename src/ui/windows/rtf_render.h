#pragma once
// Shows a document of our RTF reader in a QTextDocument: one block per paragraph with its
// alignment, indents and spacing, one fragment per run with its weight, slant, underline,
// size and fixed pitch. A paragraph with an outline level becomes a heading block
// (QTextBlockFormat::headingLevel, 1 for outline level 0).

#include <QTextDocument>

#include "core/help/rtf_reader.h"

namespace boardcast {

// Fills doc (cleared first) with the document's paragraphs and character formats. Runs
// without a font size keep the document's default font size.
void renderRtf(const RtfDocument& rtf, QTextDocument& doc);

}  // namespace boardcast
