// How vekx and vekxsim word a command line they refuse: the option or
// operand, its value and the range it must lie in, the known word nearest
// to an unknown one, and the closing pointer to --help.
#ifndef VEKX_COMMON_REFUSAL_TEXT_H
#define VEKX_COMMON_REFUSAL_TEXT_H

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vekx_common {

// The number value spells, decimal or 0x hex, within [lowest, highest];
// otherwise nothing, and why holds "--port 70000: must be a number from 0
// to 65535" (what, the value as given, the range).
std::optional<long> number_in_range(std::string_view what, std::string_view value, long lowest, long highest,
                                    std::string &why);

// The known word an unknown one was most likely meant to be: the only one
// it begins, or one a slip or two of typing away (a letter wrong, missing,
// extra or two swapped). Empty when none is that close, or when it begins
// several.
std::string nearest_word(std::string_view typed, std::span<const std::string_view> known);

// "unknown option --quite (did you mean --quiet?)"; kind is "option" or
// "command".
std::string unknown_word(std::string_view kind, std::string_view typed, std::span<const std::string_view> known);

// "--quiet takes no value (given --quiet=yes)": an option without a value
// given one after '='.
std::string unwanted_value(std::string_view option, std::string_view given);

// The two lines a program prints on standard error for a refused command
// line: "vekxsim: WHY" and "see vekxsim --help".
std::string refusal_lines(std::string_view program, std::string_view why);

}  // namespace vekx_common

#endif
