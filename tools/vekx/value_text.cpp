#include "value_text.h"

#include <cstdio>

#include "code_page.h"
#include "hex_bytes.h"

namespace vekx_tool {

namespace {

// A byte that stands for a character a person can read in Windows-1252,
// the terminal's code page: not a control byte, not DEL (0x7f) and not one
// of the five bytes the code page leaves undefined.
bool printable(std::uint8_t b) {
  constexpr char32_t undefined = 0xFFFD;
  return (b >= 0x20 && b < 0x7f) || (b >= 0x80 && vekx_common::cp1252_character(b) != undefined);
}

// A printable byte as its character in UTF-8.
std::string character_of(std::uint8_t b) {
  std::string out;
  vekx_common::append_utf8(out, vekx_common::cp1252_character(b));
  return out;
}

std::string as_text(const std::vector<std::uint8_t> &value) {
  std::string out;
  for (std::uint8_t b : value) {
    if (b == 0) break;
    if (b == '\\') {
      out += "\\\\";
    } else if (printable(b)) {
      out += character_of(b);
    } else {
      char esc[5];
      std::snprintf(esc, sizeof esc, "\\x%02x", b);
      out += esc;
    }
  }
  return out;
}

std::string as_decimal(const std::vector<std::uint8_t> &value) {
  std::string out;
  for (std::uint8_t b : value) out += (out.empty() ? "" : " ") + std::to_string(b);
  return out;
}

}  // namespace

std::optional<ValueForm> value_form_named(const std::string &word) {
  if (word == "text") return ValueForm::text;
  if (word == "dec") return ValueForm::dec;
  if (word == "hex") return ValueForm::hex;
  return std::nullopt;
}

std::string format_value(const std::vector<std::uint8_t> &value, ValueForm form) {
  switch (form) {
    case ValueForm::automatic:
      if (value.size() == 1)
        return std::to_string(value[0]) + (printable(value[0]) ? " '" + character_of(value[0]) + "'" : "");
      return as_text(value);
    case ValueForm::text:
      return as_text(value);
    case ValueForm::dec:
      return as_decimal(value);
    case ValueForm::hex:
      return vekx_common::hex_text(value);
  }
  return {};
}

std::string csv_cell(const std::string &text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string out = "\"";
  for (char ch : text) out += ch == '"' ? std::string("\"\"") : std::string(1, ch);
  return out + "\"";
}

}  // namespace vekx_tool
