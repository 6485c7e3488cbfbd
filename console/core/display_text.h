// Texts between the terminal's bytes and the window. They travel as
// Windows-1252, one byte per character; the window shows UTF-8.
#ifndef KTRV_DISPLAY_TEXT_H
#define KTRV_DISPLAY_TEXT_H

#include <cstdint>
#include <span>
#include <string>

namespace ktrv {

// The text a box shows for bytes from the terminal: up to the first NUL,
// with control bytes (1 to 31, 127) and the five bytes Windows-1252 leaves
// undefined shown as U+FFFD, so that no byte can move the cursor, break the
// line or vanish silently in a text box.
std::string textForDisplay(std::span<const char> bytes);

// The first `count` bytes of a read buffer as textForDisplay shows them; the
// count comes from ReadLength and is kept within the buffer, so a stale or
// odd count can never read past it.
std::string textFromBuffer(std::span<const char> buffer, std::int16_t count);

// A text of the window as bytes for the terminal: one Windows-1252 byte per
// character, '?' for a character without one.
std::string bytesForTerminal(const std::string &utf8);

}  // namespace ktrv

#endif
