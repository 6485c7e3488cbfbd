// The single-byte code page in which texts cross to and from the library:
// Windows-1252, the ANSI code page of the PCs the console was designed for.
//
// Encoding: a character without a Windows-1252 byte becomes '?'.
// Decoding for display: the text ends at the first NUL; control characters
// (bytes 1 to 31 and 127) and the five bytes that Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) are shown as U+FFFD, so that no
// byte from the terminal can move the cursor, break the line or vanish
// silently in a text box.
#ifndef KTRV_CODE_PAGE_H
#define KTRV_CODE_PAGE_H

#include <QString>

#include <cstddef>
#include <span>
#include <string>

namespace ktrv {

// One byte per character; no terminator is added.
std::string encodeCp1252(const QString &text);

// Decodes at most bytes.size() bytes, stopping at the first NUL.
QString decodeCp1252ForDisplay(std::span<const char> bytes);

}  // namespace ktrv

#endif
