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
  text,       // the text up to the first zero byte; other bytes escaped (\xNN, \\)
  dec,        // every byte as a decimal number, separated by spaces
  hex,        // every byte as two hex digits, separated by spaces
};

// "text", "dec" or "hex"; nothing for another word.
std::optional<ValueForm> value_form_named(const std::string &word);

std::string format_value(const std::vector<std::uint8_t> &value, ValueForm form);

// A whole decimal number, or hexadecimal with 0x, within [lowest, highest].
std::optional<long> parse_number(const std::string &text, long lowest, long highest);

}  // namespace vekx_tool

#endif
