#pragma once
// A message as HTML, for rich text editors that keep HTML: paragraphs at blank lines, line
// breaks within them. Plain messages (plain text, BBCode) are escaped so that they show as
// the text they are; Html messages keep their markup, which the page side cleans of
// anything that runs before it is used.

#include <string>

#include "browser/browser.h"

namespace boardcast {

std::string messageHtml(const MessageText& message);

}  // namespace boardcast
