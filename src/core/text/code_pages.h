#pragma once
// 8-bit code pages of older documents: Windows 1250 to 1254, DOS 437 and 850, and Mac Roman
// (given as 10000). Bytes below 0x80 are ASCII in each of them. A byte that a page leaves
// undefined decodes as U+FFFD; a page that is not supported decodes as Windows 1252.

#include <string>
#include <string_view>

namespace boardcast {

char32_t decodeCodePageByte(int codePage, unsigned char byte);
bool isSupportedCodePage(int codePage);

// Text of a data-file line for showing: UTF-8 as it is; anything else read as Windows 1252,
// the code page older files of the program were written in.
std::string textFromBytes(std::string_view bytes);

// Appends the character as UTF-8; a surrogate or a value past U+10FFFF as U+FFFD.
void appendUtf8(std::string& out, char32_t c);

// UTF-8 text on one line as it reads: runs of blanks (space, tab, CR, LF, form feed) one
// space, none at either end, cut to at most maxChars characters, never inside one.
std::string collapsedBlanks(std::string_view utf8, size_t maxChars);

}  // namespace boardcast
