// The two environment variables that move the library's UDP ports, so that a
// simulated terminal can run on the same PC: the terminal's port, and the
// local port of node 1 (node i uses it + i - 1). Read at each registration,
// from the environment as it is then (on Windows the system's, so a value a
// program sets at run time is heard).
//
// Header-only: the programs that explain a failed registration or a port in
// use read the variables exactly as the library does.
#ifndef VEKX_PORT_VARIABLES_H
#define VEKX_PORT_VARIABLES_H

#include <cstdint>
#include <optional>
#include <string>

#include "node_select.h"
#include "platform/platform.h"
#include "whole_number.h"

namespace vekx {

inline constexpr std::uint16_t default_port = 1701;
inline constexpr const char *terminal_port_variable = "VEKX_TERMINAL_PORT";
inline constexpr const char *local_port_variable = "VEKX_LOCAL_PORT";
inline constexpr long highest_terminal_port = 65535;
// Node 16 must still have a port of its own.
inline constexpr long highest_local_port = 65535 - (node_count - 1);

// A variable's value as a port: a whole decimal number from 1 to highest,
// digits only (no sign, blank or trailing text); nothing otherwise.
inline std::optional<std::uint16_t> port_from_text(const char *text, long highest) {
  const std::optional<long> value = whole_number(text, 1, highest);
  if (!value) return std::nullopt;
  return static_cast<std::uint16_t>(*value);
}

// The port a variable sets now: default_port when it is not set, nothing
// when its value is not a port.
inline std::optional<std::uint16_t> port_from_environment(const char *variable, long highest) {
  const std::optional<std::string> text = platform::environment_variable(variable);
  if (!text) return default_port;
  return port_from_text(text->c_str(), highest);
}

}  // namespace vekx

#endif
