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

// A word of a typed line: its text, and where it stands in the line (from
// its first character to just past its last, quotes included).
struct Word {
  std::string text;
  std::size_t begin = 0, end = 0;
  bool quoted = false;
};
// The words of a line, separated by blanks. A word that starts with a
// double quote runs to the closing quote, blanks included, with \" for a
// quote and \\ for a backslash inside. Nothing, and why, for a quote left
// open or closed in the middle of a word.
std::optional<std::vector<Word>> split_words(std::string_view line, std::string &why);

std::string trim(std::string_view text);

// A whole decimal number within [low, high] (0 <= low), blanks around it
// allowed; nothing else (no sign, no trailing text).
std::optional<long> whole_number(std::string_view text, long low, long high);
// A finite decimal number such as 12.5 or -3, blanks around it allowed;
// not inf, nan or hex. decimal_form says so in a message.
std::optional<double> decimal_number(std::string_view text);
inline constexpr const char *decimal_form = "a decimal number such as 12.5 or -3";
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
