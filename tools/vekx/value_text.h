// Field values between bytes and what a shell user types and reads.
#ifndef VEKX_TOOL_VALUE_TEXT_H
#define VEKX_TOOL_VALUE_TEXT_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vekx_tool {

// "0a ff", "0aff", "0a:ff", "0x0a 0xff": pairs of hex digits, optionally
// separated by spaces or colons. Nothing on a stray digit or another character.
std::optional<std::vector<std::uint8_t>> parse_hex_bytes(const std::string &text);

// A whole decimal number, or hexadecimal with 0x, within [lowest, highest].
std::optional<long> parse_number(const std::string &text, long lowest, long highest);

// The value as the console shows a text: cut at the first zero byte; bytes
// outside printable ASCII appear as \xNN and a backslash as \\.
std::string value_as_text(const std::vector<std::uint8_t> &value);

// Every byte as two lower-case hex digits, separated by spaces.
std::string value_as_hex(const std::vector<std::uint8_t> &value);

}  // namespace vekx_tool

#endif
