#include "code_page.h"

#include <array>
#include <cstdio>

namespace vekx_common {

namespace {

constexpr char32_t undefined = 0xFFFD;

// Bytes 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> high_control_block{
    0x20AC,    undefined, 0x201A, 0x0192, 0x201E, 0x2026,    0x2020, 0x2021,     // 80-87
    0x02C6,    0x2030,    0x0160, 0x2039, 0x0152, undefined, 0x017D, undefined,  // 88-8F
    undefined, 0x2018,    0x2019, 0x201C, 0x201D, 0x2022,    0x2013, 0x2014,     // 90-97
    0x02DC,    0x2122,    0x0161, 0x203A, 0x0153, undefined, 0x017E, 0x0178,     // 98-9F
};

}  // namespace

std::optional<char32_t> utf8_character(std::string_view text, std::size_t &i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i++);
  if (lead < 0x80) return lead;
  const std::size_t more = lead >= 0xC2 && lead <= 0xDF   ? 1
                           : lead >= 0xE0 && lead <= 0xEF ? 2
                           : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                          : 0;
  if (more == 0 || i + more > text.size()) return std::nullopt;
  for (std::size_t k = 0; k < more; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return std::nullopt;
  // The second byte's range rules out overlong forms, surrogates and code
  // points beyond U+10FFFF.
  const unsigned char second = byte(i);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
      (lead == 0xF4 && second > 0x8F))
    return std::nullopt;
  char32_t c = lead & (0x3F >> more);
  for (std::size_t k = 0; k < more; ++k) c = (c << 6) | (byte(i++) & 0x3F);
  return c;
}

char32_t cp1252_character(std::uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0) return high_control_block[byte - 0x80];
  return byte;
}

std::optional<std::uint8_t> cp1252_byte(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) return static_cast<std::uint8_t>(character);
  if (character == undefined) return std::nullopt;
  for (std::size_t i = 0; i < high_control_block.size(); ++i)
    if (high_control_block[i] == character) return static_cast<std::uint8_t>(0x80 + i);
  return std::nullopt;
}

void append_utf8(std::string &out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string cp1252_from_utf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();)
    out.push_back(static_cast<char>(cp1252_byte(utf8_character(utf8, i).value_or(undefined)).value_or('?')));
  return out;
}

Cp1252Text cp1252_exactly(std::string_view utf8) {
  Cp1252Text text;
  text.bytes.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::optional<char32_t> c = utf8_character(utf8, i);
    if (!c) {
      text.malformed = true;
      return text;
    }
    const std::optional<std::uint8_t> byte = cp1252_byte(*c);
    if (!byte) {
      text.lacking = *c;
      return text;
    }
    text.bytes.push_back(static_cast<char>(*byte));
  }
  return text;
}

std::string cp1252_refusal(const Cp1252Text &converted, std::string_view what) {
  if (converted.malformed) return std::string(what) + " is not UTF-8 text";
  if (converted.lacking)
    return std::string(what) + " holds " + character_name(*converted.lacking) + ", which Windows-1252 lacks";
  return {};
}

std::string character_name(char32_t character) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
  std::string name = "\"";
  append_utf8(name, character);
  return name + "\" (" + code + ")";
}

std::string utf8_from_cp1252(std::span<const std::uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::uint8_t b : bytes) append_utf8(out, cp1252_character(b));
  return out;
}

}  // namespace vekx_common
