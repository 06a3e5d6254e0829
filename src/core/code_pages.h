#pragma once
// 8-bit code pages of older documents: Windows 1250 to 1254, DOS 437 and 850, and Mac Roman
// (given as 10000). Bytes below 0x80 are ASCII in each of them. A byte that a page leaves
// undefined decodes as U+FFFD; a page that is not supported decodes as Windows 1252.

namespace boardcast {

char32_t decodeCodePageByte(int codePage, unsigned char byte);
bool isSupportedCodePage(int codePage);

}  // namespace boardcast
