// Small parsers for the control command language: words, numbers, on/off
// words and the names of the terminal's terminator keys.
#ifndef VEKXSIM_CONTROL_TEXT_H
#define VEKXSIM_CONTROL_TEXT_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vekxsim::control_text {

// Splits off the first word (separated by blanks); rest keeps its inner
// blanks but loses the leading ones.
struct Split {
  std::string word;
  std::string rest;
};
Split first_word(std::string_view line);

std::string trim(std::string_view text);

// A whole decimal number within [low, high] (0 <= low), blanks around it
// allowed; nothing else (no sign, no trailing text).
std::optional<long> whole_number(std::string_view text, long low, long high);
// A decimal number such as 12.5 or -3.
std::optional<double> decimal_number(std::string_view text);
// "on"/"1"/"yes" or "off"/"0"/"no".
std::optional<bool> on_off(std::string_view text);
// A terminator key: a code 0..255 or a key name as the console shows it,
// without " Key" and case-blind ("enter", "f6", "left", "pgup", ...).
std::optional<std::uint8_t> terminator_code(std::string_view text);
// The console's name of a terminator code, or empty when it has none.
std::string terminator_name(std::uint8_t code);

// One entry of a help listing, "  left   help\n": left padded to column
// (with one blank at least), and each further line of help indented to it.
std::string help_row(std::string left, std::string_view help, std::size_t column);

}  // namespace vekxsim::control_text

#endif
