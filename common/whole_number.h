// Whole numbers as people type them on a command line, in a control command
// or in an environment variable: digits only, with no sign, blank or other
// text, or "0x" and hex digits where the caller allows it.
//
// Header-only: the terminal client library uses it too and links nothing
// besides its sockets layer.
#ifndef VEKX_COMMON_WHOLE_NUMBER_H
#define VEKX_COMMON_WHOLE_NUMBER_H

#include <optional>
#include <string_view>

namespace vekx_common {

enum class Digits {
  decimal,         // "1701"
  decimal_or_hex,  // "1701" or "0x6a5"
};

// The number text spells when it lies within [lowest, highest]; nothing
// otherwise. lowest is 0 or more, highest well below the largest long; a
// run of digits of any length cannot overflow.
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
    long digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    value = value * base + digit;
    if (value > highest) return std::nullopt;
  }
  if (value < lowest) return std::nullopt;
  return value;
}

}  // namespace vekx_common

#endif
