// Whole numbers as people type them on a command line, in a control command
// or in an environment variable: digits only, with no sign, blank or other
// text, or "0x" and hex digits where the caller allows it.
//
// Header-only: the library reads its port variables with it, and the other
// programs reach it through the wire header.
#ifndef VEKX_WHOLE_NUMBER_H
#define VEKX_WHOLE_NUMBER_H

#include <optional>
#include <string_view>

namespace vekx {

// The value of one hex digit, either case; -1 for another character.
constexpr int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

enum class Digits {
  decimal,         // "1701"
  decimal_or_hex,  // "1701" or "0x6a5"
};

// The number text spells when it lies within [lowest, highest]; nothing
// otherwise. lowest is 0 or more; a run of digits of any length cannot
// overflow, even with highest the largest long.
constexpr std::optional<long> whole_number(std::string_view text, long lowest, long highest,
                                           Digits digits = Digits::decimal) {
  long base = 10;
  if (digits == Digits::decimal_or_hex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  long value = 0;
  for (const char c : text) {
    const long digit = hex_digit(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    if (digit > highest || value > (highest - digit) / base) return std::nullopt;
    value = value * base + digit;
  }
  if (value < lowest) return std::nullopt;
  return value;
}

}  // namespace vekx

#endif
