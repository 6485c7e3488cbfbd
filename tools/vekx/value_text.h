// Field values between bytes and what a shell user types and reads.
#ifndef VEKX_TOOL_VALUE_TEXT_H
#define VEKX_TOOL_VALUE_TEXT_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vekx_tool {

// How a value is shown.
enum class ValueForm {
  automatic,  // a one-byte value as its number and, where printable, its character ("54 '6'"); else text
  // The text up to the first zero byte, from Windows-1252 to UTF-8; control
  // bytes, DEL and the code page's undefined bytes escaped as \xNN, a
  // backslash doubled.
  text,
  dec,  // every byte as a decimal number, separated by spaces
  hex,  // every byte as two hex digits, separated by spaces
};

// "text", "dec" or "hex"; nothing for another word.
std::optional<ValueForm> value_form_named(const std::string &word);

std::string format_value(const std::vector<std::uint8_t> &value, ValueForm form);

// A CSV cell: quoted when it holds a comma, a quote or a line break.
std::string csv_cell(const std::string &text);

}  // namespace vekx_tool

#endif
