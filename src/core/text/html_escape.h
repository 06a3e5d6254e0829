#pragma once
// Text written into HTML or markup as the characters it is.

#include <string>
#include <string_view>

namespace boardcast {

// Appends text with &, <, >, " and ' written as entities that HTML and the XML-based
// markup of notifications both read.
void appendHtmlEscaped(std::string& out, std::string_view text);

}  // namespace boardcast
