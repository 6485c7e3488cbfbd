// Windows-1252, the single-byte code page in which texts travel to and from
// the terminal, against the UTF-8 in which the programs show them.
#ifndef VEKX_COMMON_CODE_PAGE_H
#define VEKX_COMMON_CODE_PAGE_H

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vekx_common {

// The character a byte stands for. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) give U+FFFD.
char32_t cp1252_character(std::uint8_t byte);
// The byte of a character; nothing for a character the code page lacks.
std::optional<std::uint8_t> cp1252_byte(char32_t character);

// UTF-8 text as Windows-1252 bytes, one per character; a character without
// a byte, and every byte of malformed UTF-8, becomes '?'.
std::string cp1252_from_utf8(std::string_view utf8);
// UTF-8 text as Windows-1252 bytes when the code page has every character
// of it: bytes is then complete. Otherwise the conversion stops at the
// first character the code page lacks, or at the first byte that is not
// UTF-8.
struct Cp1252Text {
  std::string bytes;
  std::optional<char32_t> lacking;
  bool malformed = false;
  bool complete() const { return !lacking && !malformed; }
};
Cp1252Text cp1252_exactly(std::string_view utf8);

// Why a text that cp1252_exactly could not convert cannot go, naming the
// text as what: "VALUE holds "ł" (U+0142), which Windows-1252 lacks" or
// "VALUE is not UTF-8 text"; empty for a complete conversion.
std::string cp1252_refusal(const Cp1252Text &converted, std::string_view what);

// A character as a message names it: "\"ł\" (U+0142)".
std::string character_name(char32_t character);

// Windows-1252 bytes as UTF-8, every byte, NUL and control bytes included.
std::string utf8_from_cp1252(std::span<const std::uint8_t> bytes);

// The well-formed UTF-8 character at text[i], with i moved past it; for
// bytes that are not one (overlong forms and surrogates included), nothing,
// with i moved past the first byte alone.
std::optional<char32_t> utf8_character(std::string_view text, std::size_t &i);

// One character as UTF-8.
void append_utf8(std::string &out, char32_t character);

}  // namespace vekx_common

#endif
