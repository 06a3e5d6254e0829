#pragma once
// Text written into HTML or markup as the characters it is, and character references read.

#include <string>
#include <string_view>

namespace boardcast {

// Appends text with &, <, >, " and ' written as entities that HTML and the XML-based
// markup of notifications both read.
void appendHtmlEscaped(std::string& out, std::string_view text);

// The same, except that character references already in the text (&amp;, &#169;, &copy;)
// are kept as they are: for text that is HTML already.
void appendHtmlEscapedKeepingReferences(std::string& out, std::string_view text);

// The text with its character references read: numeric ones, and the named ones that forum
// pages use (&amp; &lt; &gt; &quot; &apos; &nbsp; as a blank, quotes, dashes, arrows and the
// like); other references stay as written.
std::string decodeHtmlReferences(std::string_view text);

}  // namespace boardcast
